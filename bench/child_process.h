// A program that an X benchmark starts: a shell command run in a process
// group of its own, which ends with it, its input and output piped to the
// benchmark.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace xbench {

class Child {
 public:
  // environment: "NAME=value" settings added to the command's environment.
  explicit Child(const std::string& command, const std::vector<std::string>& environment = {}) {
    int toChild[2], fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0 || pipe2(fromChild, O_CLOEXEC) != 0) {
      throw std::runtime_error("no pipe");
    }
    group_ = fork();
    if (group_ == 0) {
      setpgid(0, 0);
      dup2(toChild[0], 0);
      dup2(fromChild[1], 1);
      for (const std::string& setting : environment) putenv(const_cast<char*>(setting.c_str()));
      execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    if (group_ < 0) throw std::runtime_error("cannot start " + command);
    setpgid(group_, group_);
    close(toChild[0]);
    close(fromChild[1]);
    input_ = fdopen(toChild[1], "w");
    output_ = fdopen(fromChild[0], "r");
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    std::fclose(input_);
    if (!WaitForExit(std::chrono::seconds(10))) {
      kill(-group_, SIGKILL);
      waitpid(group_, nullptr, 0);
    }
    kill(-group_, SIGKILL);  // what it started and left behind
    std::fclose(output_);
  }

  bool WaitForExit(std::chrono::steady_clock::duration limit) {
    for (const auto end = std::chrono::steady_clock::now() + limit;
         !ended_ && std::chrono::steady_clock::now() < end;) {
      ended_ = waitpid(group_, nullptr, WNOHANG) == group_;
      if (!ended_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ended_;
  }

  // The child's answer to one line written to its input.
  std::string Ask(const std::string& line) {
    std::fprintf(input_, "%s\n", line.c_str());
    std::fflush(input_);
    char answer[256] = "";
    if (!std::fgets(answer, sizeof answer, output_)) throw std::runtime_error("no answer");
    return answer;
  }

 private:
  pid_t group_ = 0;  // the child's process id, which names its group
  bool ended_ = false;
  FILE* input_;
  FILE* output_;
};

}  // namespace xbench
