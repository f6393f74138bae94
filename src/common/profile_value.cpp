#include "common/profile_value.h"

#include <cstdint>
#include <optional>

namespace bex {
namespace {

std::optional<int64_t> DigitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') v = c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') v = c - 'A' + 10;
  if (v < 0) return std::nullopt;
  return v;
}

// Digits of the given base, the whole text; magnitude limited to what a
// 32-bit integer holds (hexadecimal may use all 32 bits, as 0xFFFFFFFF = -1).
std::optional<int64_t> ParseDigits(std::string_view digits, int base, int64_t limit) {
  if (digits.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : digits) {
    const auto d = DigitValue(c, base);
    if (!d) return std::nullopt;
    value = value * base + *d;
    if (value > limit) return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<int> TryParseProfileInt(std::string_view text) {
  auto hex = [](std::string_view digits) -> std::optional<int> {
    const auto v = ParseDigits(digits, 16, 0xFFFFFFFFLL);
    if (!v) return std::nullopt;
    return static_cast<int>(static_cast<uint32_t>(*v));
  };
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return hex(text.substr(2));
  }
  if (!text.empty() && text[0] == '$') return hex(text.substr(1));
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  const auto v = ParseDigits(text, 10, negative ? 2147483648LL : 2147483647LL);
  if (!v) return std::nullopt;
  return static_cast<int>(negative ? -*v : *v);
}

int ParseProfileInt(std::string_view text, int def) {
  return TryParseProfileInt(text).value_or(def);
}

bool ParseProfileBool(std::string_view text, bool def) {
  const auto v = TryParseProfileInt(text);
  return v ? *v != 0 : def;
}

}  // namespace bex
