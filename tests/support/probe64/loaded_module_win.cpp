// The tests' look into a 64-bit process, which a 32-bit process cannot list
// the modules of: exits with 0 when the process holds the module, else 1.
//   loaded_module64.exe <process id> <full path of the module>
#include <windows.h>

#include <tlhelp32.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const DWORD processId = std::strtoul(argv[1], nullptr, 10);
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  if (snapshot == INVALID_HANDLE_VALUE) return 1;
  MODULEENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Module32First(snapshot, &entry); more && !found;
       more = Module32Next(snapshot, &entry)) {
    found = lstrcmpiA(entry.szExePath, argv[2]) == 0;
  }
  CloseHandle(snapshot);
  return found ? 0 : 1;
}
