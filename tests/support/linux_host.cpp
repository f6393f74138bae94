#include "support/linux_host.h"

#include <winioctl.h>

#include <utility>
#include <vector>

#include "support/desktop.h"
#include "support/test_files.h"
#include "support/wine_paths.h"

namespace bex::test {
namespace {

// Wine's own request to its mount manager that defines or removes a drive
// letter (a mount point of zero removes it).
constexpr DWORD kDefineUnixDrive =
    CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

struct UnixDriveRequest {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDevice;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};

bool DefineUnixDrive(char letter, const std::string& linuxFolder, UINT driveType) {
  HANDLE manager =
      CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  std::vector<char> request(sizeof(UnixDriveRequest) + linuxFolder.size() + 1, '\0');
  UnixDriveRequest header{};
  header.size = static_cast<ULONG>(request.size());
  header.type = driveType;
  header.letter = static_cast<WCHAR>(letter);
  if (!linuxFolder.empty()) header.mountPointOffset = sizeof(UnixDriveRequest);
  std::copy_n(reinterpret_cast<const char*>(&header), sizeof header, request.begin());
  std::copy(linuxFolder.begin(), linuxFolder.end(), request.begin() + sizeof header);
  DWORD returned = 0;
  const bool done =
      DeviceIoControl(manager, kDefineUnixDrive, request.data(), static_cast<DWORD>(request.size()),
                      nullptr, 0, &returned, nullptr) != FALSE;
  CloseHandle(manager);
  return done;
}

// A letter that names no drive now. Letters go round from Q to Y, so that a
// letter given up a moment ago is not at once defined again.
std::optional<char> FreeDriveLetter() {
  static int next = 0;
  constexpr int kLetters = 'Y' - 'Q' + 1;
  for (int tried = 0; tried < kLetters; ++tried) {
    const char letter = static_cast<char>('Q' + (next + tried) % kLetters);
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR) {
      next = (letter - 'Q' + 1) % kLetters;
      return letter;
    }
  }
  return std::nullopt;
}

// Quoted for the shell: inside single quotes nothing is special but the quote.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
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

std::optional<MappedDrive> MappedDrive::Map(const std::string& label, UINT driveType,
                                            int tmpfsKilobytes) {
  static int counter = 0;
  const std::string folder = "/dev/shm/bex-" + std::to_string(GetCurrentProcessId()) + "-" + label +
                             "-" + std::to_string(++counter);
  if (!CreateDirectoryA(WindowsPathOf(folder).c_str(), nullptr)) return std::nullopt;
  MappedDrive drive(folder, tmpfsKilobytes > 0);
  if (drive.mounted_ && !RunLinuxShell("mount -t tmpfs -o size=" + std::to_string(tmpfsKilobytes) +
                                       "k tmpfs " + Quoted(folder))) {
    drive.mounted_ = false;
    return std::nullopt;
  }
  const std::optional<char> letter = FreeDriveLetter();
  if (!letter || !DefineUnixDrive(*letter, folder, driveType)) return std::nullopt;
  drive.root_ = std::string(1, *letter) + ":";
  return drive;
}

MappedDrive::MappedDrive(std::string linuxFolder, bool mounted)
    : linuxFolder_(std::move(linuxFolder)), mounted_(mounted) {}

MappedDrive::MappedDrive(MappedDrive&& other) noexcept
    : root_(std::exchange(other.root_, std::string())),
      linuxFolder_(std::exchange(other.linuxFolder_, std::string())),
      mounted_(std::exchange(other.mounted_, false)) {}

MappedDrive::~MappedDrive() { Release(); }

void MappedDrive::Release() {
  if (!root_.empty()) DefineUnixDrive(root_[0], "", 0);
  if (linuxFolder_.empty()) return;
  std::string script;
  if (mounted_) script += "umount -l " + Quoted(linuxFolder_) + " || true\n";
  script += "rm -rf " + Quoted(linuxFolder_) + "\n";
  RunLinuxShell(script);
}

}  // namespace bex::test
