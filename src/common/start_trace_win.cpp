#include "common/start_trace_win.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace bex {
namespace {

// FILETIME counts 100 ns from 1601; Unix time from 1970.
constexpr uint64_t kUnixEpochIn100ns = 116444736000000000ULL;

const std::wstring& TraceFile() {
  static const std::wstring file = [] {
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"BEX_START_TRACE", path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
  }();
  return file;
}

uint64_t MicrosecondsSince1970() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const uint64_t ticks = (uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
  return (ticks - kUnixEpochIn100ns) / 10;
}

}  // namespace

void NoteStartMoment(const char* moment) {
  if (TraceFile().empty()) return;
  char line[96];
  const int length = std::snprintf(line, sizeof line, "%s %llu\r\n", moment,
                                   static_cast<unsigned long long>(MicrosecondsSince1970()));
  HANDLE file = CreateFileW(TraceFile().c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(file);
}

}  // namespace bex
