#include "common/wide_text_win.h"

#include <windows.h>

namespace bex {

std::wstring WideFromAnsi(const std::string& text) {
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), n);
  return wide;
}

}  // namespace bex
