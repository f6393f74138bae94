// Processes that tests start or take over. Each one is ended when its owner
// goes away, and a watchdog ends them all, then the test program, when a
// single test runs longer than BEX_TEST_LIMIT_S seconds (120 by default), so
// that nothing a test starts can hang the suite.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace bex::test {

// Deadline of one wait unless a test gives its own.
constexpr DWORD kWaitMs = 10000;

class Process {
 public:
  Process() = default;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  // Terminates the process if it still runs.
  ~Process();

  // Starts program with the command-line parameters args in workingFolder;
  // throws std::runtime_error when the system refuses.
  static Process Launch(const std::string& program, const std::string& args,
                        const std::string& workingFolder);
  // Takes over a process that something else started.
  static Process Attach(DWORD processId);

  DWORD Id() const { return id_; }
  bool Running() const;
  // The exit code once the process has ended within timeoutMs; none while it runs.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs = kWaitMs) const;
  // Waits until the process waits for input (or timeoutMs has passed).
  void WaitForInputIdle(DWORD timeoutMs = kWaitMs) const;
  // Full path of the process's program file.
  std::string ProgramPath() const;
  void Terminate();

 private:
  Process(HANDLE handle, DWORD id);
  void Release();

  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// Ends every process whose program file lies in folder (a Windows path).
void TerminateProcessesIn(const std::string& folder);
// Full program paths of the other processes running now.
std::vector<std::string> RunningPrograms();

}  // namespace bex::test
