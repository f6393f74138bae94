// The Linux side of the Wine machine, prepared from a test program: a Wine
// program can start a Linux program (the shell at Z:\bin\sh), which can make
// what no Windows call can under Wine: drive letters (links in the prefix's
// "dosdevices" folder) and small file systems.
#pragma once

#include <optional>
#include <string>

namespace bex::test {

// Linux form of a path on drive Z: (Wine maps the Linux root there).
std::string LinuxPathOf(const std::string& windowsPath);

// Runs a shell script on the Linux side and waits for its end (Wine starts
// Linux programs detached, so the end is seen through a marker file the
// script leaves). True when the script ended with status 0.
bool RunLinuxShell(const std::string& script);

// A drive letter of the Wine prefix mapped to a new folder on a file system
// other than the build's: a folder under /dev/shm, or, given a size, a tmpfs
// of that many kilobytes of its own (mounting needs root). The mapping, the
// file system and the folder go away with the object.
class MappedDrive {
 public:
  // None when no free letter is left or the Linux side refused.
  static std::optional<MappedDrive> Map(const std::string& label, int tmpfsKilobytes = 0);
  MappedDrive(MappedDrive&& other) noexcept;
  MappedDrive& operator=(MappedDrive&&) = delete;
  ~MappedDrive();

  // "Q:" form, without a backslash.
  const std::string& Root() const { return root_; }
  const std::string& LinuxFolder() const { return linuxFolder_; }

 private:
  MappedDrive(std::string root, std::string link, std::string linuxFolder, bool mounted);

  std::string root_;
  std::string link_;
  std::string linuxFolder_;
  bool mounted_ = false;
};

}  // namespace bex::test
