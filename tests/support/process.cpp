#include "support/process.h"

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

namespace bex::test {
namespace {

// Handles of every process a Process owns now, for the watchdog.
class LiveProcesses {
 public:
  void Add(HANDLE h) {
    std::lock_guard<std::mutex> lock(mutex_);
    handles_.insert(h);
  }
  void Remove(HANDLE h) {
    std::lock_guard<std::mutex> lock(mutex_);
    handles_.erase(h);
  }
  void TerminateAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (HANDLE h : handles_) TerminateProcess(h, 1);
  }

 private:
  std::mutex mutex_;
  std::set<HANDLE> handles_;
};

LiveProcesses& Live() {
  static LiveProcesses live;
  return live;
}

// Ends the processes of the tests and then the test program when one test
// runs past its limit: a viewer stuck in a way no wait foresaw must not keep
// the suite from ending.
std::atomic<long long> testStartedAt{0};

long long SecondsNow() {
  using namespace std::chrono;
  return duration_cast<seconds>(steady_clock::now().time_since_epoch()).count();
}

int TestLimitSeconds() {
  const char* limit = std::getenv("BEX_TEST_LIMIT_S");
  return limit && std::atoi(limit) > 0 ? std::atoi(limit) : 120;
}

[[noreturn]] void Watch(int limitSeconds) {
  for (;;) {
    Sleep(500);
    const long long started = testStartedAt;
    if (started != 0 && SecondsNow() - started > limitSeconds) {
      std::fprintf(stderr, "watchdog: a test ran longer than %d s; ending its processes\n",
                   limitSeconds);
      std::fflush(stderr);
      Live().TerminateAll();
      ExitProcess(3);
    }
  }
}

class WatchdogListener : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override { testStartedAt = SecondsNow(); }
  void OnTestEnd(const testing::TestInfo&) override { testStartedAt = 0; }
};

[[maybe_unused]] const bool kWatchdogInstalled = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new WatchdogListener);
  std::thread(Watch, TestLimitSeconds()).detach();
  return true;
}();

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.data(),
                        static_cast<int>(prefix.size()), prefix.data(),
                        static_cast<int>(prefix.size())) == CSTR_EQUAL;
}

std::string ImagePath(HANDLE process) {
  char path[MAX_PATH * 2];
  DWORD size = sizeof path;
  return QueryFullProcessImageNameA(process, 0, path, &size) ? std::string(path, size)
                                                             : std::string();
}

}  // namespace

Process::Process(HANDLE handle, DWORD id) : handle_(handle), id_(id) { Live().Add(handle_); }

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = std::exchange(other.handle_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

Process::~Process() { Release(); }

void Process::Release() {
  if (!handle_) return;
  Terminate();
  Live().Remove(handle_);
  CloseHandle(handle_);
  handle_ = nullptr;
}

Process Process::Launch(const std::string& program, const std::string& args,
                        const std::string& workingFolder) {
  std::string commandLine = "\"" + program + "\"";
  if (!args.empty()) commandLine += " " + args;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
    throw std::runtime_error("cannot start " + commandLine + " (error " +
                             std::to_string(GetLastError()) + ")");
  }
  CloseHandle(info.hThread);
  return Process(info.hProcess, info.dwProcessId);
}

Process Process::Attach(DWORD processId) {
  HANDLE h = OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId);
  if (!h) throw std::runtime_error("cannot open process " + std::to_string(processId));
  return Process(h, processId);
}

bool Process::Running() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Process::WaitForExit(DWORD timeoutMs) const {
  if (!handle_ || WaitForSingleObject(handle_, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(handle_, &code);
  return code;
}

void Process::WaitForInputIdle(DWORD timeoutMs) const {
  if (handle_) ::WaitForInputIdle(handle_, timeoutMs);
}

std::string Process::ProgramPath() const { return ImagePath(handle_); }

void Process::Terminate() {
  if (!Running()) return;
  TerminateProcess(handle_, 1);
  WaitForSingleObject(handle_, kWaitMs);
}

namespace {

// Calls visit with a handle (of the given access plus query rights) and the
// program path of every other process running now.
template <typename Visit>
void ForEachOtherProcess(DWORD access, Visit visit) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  std::vector<DWORD> ids;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID != GetCurrentProcessId()) ids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  for (DWORD id : ids) {
    HANDLE h = OpenProcess(access | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!h) continue;
    visit(h, ImagePath(h));
    CloseHandle(h);
  }
}

}  // namespace

void TerminateProcessesIn(const std::string& folder) {
  const std::string prefix = folder.back() == '\\' ? folder : folder + "\\";
  ForEachOtherProcess(PROCESS_TERMINATE | SYNCHRONIZE, [&](HANDLE h, const std::string& path) {
    if (!StartsWithNoCase(path, prefix)) return;
    TerminateProcess(h, 1);
    WaitForSingleObject(h, kWaitMs);
  });
}

std::vector<std::string> RunningPrograms() {
  std::vector<std::string> paths;
  ForEachOtherProcess(0, [&](HANDLE, const std::string& path) { paths.push_back(path); });
  return paths;
}

}  // namespace bex::test
