// The memory a process holds for itself.
#pragma once

#include <cstdint>

namespace bex {

// Bytes of committed private memory of this process: what it allocated and
// has not freed (shared sections and mapped files do not count).
uint64_t CommittedPrivateBytes();

}  // namespace bex
