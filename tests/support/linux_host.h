// The Linux side of the Wine machine, prepared from a test program: drive
// letters defined through Wine's mount manager (as its configuration tool
// does), and small file systems mounted by a Linux shell, which a Wine
// program can start (Z:\bin\sh).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace bex::test {

// Linux form of a path on drive Z: (Wine maps the Linux root there).
std::string LinuxPathOf(const std::string& windowsPath);

// Runs a shell script on the Linux side and waits for its end (Wine starts
// Linux programs detached, so the end is seen through a marker file the
// script leaves). True when the script ended with status 0.
bool RunLinuxShell(const std::string& script);

// A drive letter mapped to a new folder on a file system other than the
// build's: a folder under /dev/shm, or, given a size, a tmpfs of that many
// kilobytes of its own (mounting needs root). The drive reports driveType
// (DRIVE_FIXED, DRIVE_REMOVABLE, DRIVE_REMOTE, ...) to GetDriveType. The
// letter, the file system and the folder go away with the object.
class MappedDrive {
 public:
  // None when no letter is free or the system refused.
  static std::optional<MappedDrive> Map(const std::string& label, UINT driveType = DRIVE_FIXED,
                                        int tmpfsKilobytes = 0);
  MappedDrive(MappedDrive&& other) noexcept;
  MappedDrive& operator=(MappedDrive&&) = delete;
  ~MappedDrive();

  // "Q:" form, without a backslash.
  const std::string& Root() const { return root_; }
  const std::string& LinuxFolder() const { return linuxFolder_; }

 private:
  MappedDrive(std::string linuxFolder, bool mounted);
  void Release();

  std::string root_;
  std::string linuxFolder_;
  bool mounted_ = false;
};

}  // namespace bex::test
