#include "common/content_fingerprint.h"

#include <algorithm>

namespace bex {
namespace {

// FNV-1a, 64 bits.
constexpr uint64_t kOffsetBasis = 0xCBF29CE484222325;
constexpr uint64_t kPrime = 0x100000001B3;

uint64_t Mix(uint64_t hash, std::string_view bytes) {
  for (const char byte : bytes) hash = (hash ^ static_cast<uint8_t>(byte)) * kPrime;
  return hash;
}

constexpr char kHexDigits[] = "0123456789abcdef";

}  // namespace

FingerprintSpans FingerprintSpansOf(uint64_t size) {
  const uint64_t head = std::min(size, kFingerprintSpan);
  const uint64_t tailOffset = std::max(head, size > kFingerprintSpan ? size - kFingerprintSpan : 0);
  return {head, tailOffset, size - tailOffset};
}

uint64_t ContentFingerprint(uint64_t size, std::string_view head, std::string_view tail) {
  std::string sizeBytes;
  for (int shift = 0; shift < 64; shift += 8) sizeBytes += static_cast<char>(size >> shift);
  return Mix(Mix(Mix(kOffsetBasis, sizeBytes), head), tail);
}

std::string FingerprintText(uint64_t fingerprint) {
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, fingerprint >>= 4) text[i] = kHexDigits[fingerprint & 0xF];
  return text;
}

std::optional<uint64_t> ParseFingerprint(std::wstring_view text) {
  if (text.size() != 16) return std::nullopt;
  uint64_t value = 0;
  for (const wchar_t c : text) {
    const char* digit =
        c < 0x80 ? std::find(kHexDigits, kHexDigits + 16, static_cast<char>(c)) : kHexDigits + 16;
    if (digit == kHexDigits + 16) return std::nullopt;
    value = value << 4 | static_cast<uint64_t>(digit - kHexDigits);
  }
  return value;
}

}  // namespace bex
