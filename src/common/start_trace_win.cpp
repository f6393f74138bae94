#include "common/start_trace_win.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace bex {
namespace {

// FILETIME counts 100 ns from 1601; Unix time from 1970.
constexpr uint64_t kUnixEpochIn100ns = 116444736000000000ULL;

const std::string& TraceFile() {
  static const std::string file = [] {
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("BEX_START_TRACE", path, sizeof path);
    return length > 0 && length < sizeof path ? std::string(path, length) : std::string();
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
  HANDLE file = CreateFileA(TraceFile().c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(file);
}

}  // namespace bex
