// The memory a process holds for itself.
#pragma once

#include <windows.h>

#include <cstdint>

namespace bex {

// Bytes of committed private memory of a process (this one unless given; the
// handle needs PROCESS_QUERY_INFORMATION): what it allocated and has not
// freed (shared sections and mapped files do not count).
uint64_t CommittedPrivateBytes(HANDLE process = GetCurrentProcess());

}  // namespace bex
