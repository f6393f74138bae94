#include "support/linux_host.h"

#include <windows.h>

#include <cctype>
#include <utility>

#include "support/desktop.h"
#include "support/test_files.h"
#include "support/wine_paths.h"

namespace bex::test {
namespace {

// Quoted for the shell: inside single quotes nothing is special but the quote.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string WinePrefix() {
  char prefix[MAX_PATH * 4];
  const DWORD n = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof(prefix));
  return n > 0 && n < sizeof(prefix) ? std::string(prefix, n) : std::string();
}

// A letter that names no drive now, from Q on.
std::optional<char> FreeDriveLetter() {
  for (char letter = 'Q'; letter <= 'Y'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR) return letter;
  }
  return std::nullopt;
}

}  // namespace

std::string LinuxPathOf(const std::string& windowsPath) {
  std::string path = windowsPath.substr(windowsPath.size() >= 2 && windowsPath[1] == ':' ? 2 : 0);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

bool RunLinuxShell(const std::string& script) {
  const std::string folder = NewScratchFolder("shell");
  const std::string marker = LinuxPathOf(folder) + "/status";
  WriteFileBytes(folder + "\\script.sh",
                 "( set -e\n" + script + "\n)\necho $? >" + Quoted(marker + ".part") + " && mv " +
                     Quoted(marker + ".part") + " " + Quoted(marker) + "\n");
  std::string command = "Z:\\bin\\sh " + LinuxPathOf(folder) + "/script.sh";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process)) {
    return false;
  }
  const std::string status = folder + "\\status";
  if (!WaitUntil([&] { return FileExists(status); })) return false;
  const std::optional<std::string> text = ReadFileBytes(status);
  return text && !text->empty() && (*text)[0] == '0';
}

std::optional<MappedDrive> MappedDrive::Map(const std::string& label, int tmpfsKilobytes) {
  const std::string prefix = WinePrefix();
  const std::optional<char> letter = FreeDriveLetter();
  if (prefix.empty() || !letter) return std::nullopt;
  const std::string root = std::string(1, *letter) + ":";
  const std::string link = prefix + "/dosdevices/" +
                           static_cast<char>(std::tolower(static_cast<unsigned char>(*letter))) +
                           ":";
  const std::string folder =
      "/dev/shm/bex-" + std::to_string(GetCurrentProcessId()) + "-" + label + "-" + root[0];
  std::string script = "mkdir -p " + Quoted(folder) + "\n";
  if (tmpfsKilobytes > 0) {
    script += "mount -t tmpfs -o size=" + std::to_string(tmpfsKilobytes) + "k tmpfs " +
              Quoted(folder) + "\n";
  }
  script += "ln -sfn " + Quoted(folder) + " " + Quoted(link) + "\n";
  MappedDrive drive(root, link, folder, tmpfsKilobytes > 0);
  if (!RunLinuxShell(script)) return std::nullopt;
  return drive;
}

MappedDrive::MappedDrive(std::string root, std::string link, std::string linuxFolder, bool mounted)
    : root_(std::move(root)),
      link_(std::move(link)),
      linuxFolder_(std::move(linuxFolder)),
      mounted_(mounted) {}

MappedDrive::MappedDrive(MappedDrive&& other) noexcept
    : root_(std::move(other.root_)),
      link_(std::exchange(other.link_, std::string())),
      linuxFolder_(std::move(other.linuxFolder_)),
      mounted_(other.mounted_) {}

MappedDrive::~MappedDrive() {
  if (link_.empty()) return;
  std::string script = "rm -f " + Quoted(link_) + "\n";
  if (mounted_) script += "umount " + Quoted(linuxFolder_) + " || true\n";
  script += "rm -rf " + Quoted(linuxFolder_) + "\n";
  RunLinuxShell(script);
}

}  // namespace bex::test
