// What tells apart two files of the same size at the same path: a hash of
// the size and of the first and last 64 KiB, which any two photos differ in
// (their headers, their last rows), read in a moment however large they are.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bex {

constexpr uint64_t kFingerprintSpan = 64 * 1024;

// The bytes to read for a file of size bytes: the first kFingerprintSpan from
// its start, and then up to kFingerprintSpan more from tailOffset to its end
// (none for a file that the head covers whole).
struct FingerprintSpans {
  uint64_t headSize;
  uint64_t tailOffset;
  uint64_t tailSize;
};
FingerprintSpans FingerprintSpansOf(uint64_t size);

uint64_t ContentFingerprint(uint64_t size, std::string_view head, std::string_view tail);

// Sixteen lower-case hex digits, as files keep it.
std::string FingerprintText(uint64_t fingerprint);
std::optional<uint64_t> ParseFingerprint(std::wstring_view text);

}  // namespace bex
