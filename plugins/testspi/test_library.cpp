// A library that the test plug-in needsdep.spi imports by name. Loading it
// leaves the file "spidep.ran" beside it, so a test sees whether, and from
// which folder, the system loaded it.
#include <windows.h>

#include <cstring>

extern "C" __declspec(dllexport) int TestLibraryAnswer() { return 1; }

namespace {

void LeaveMarkerBesideItself(HINSTANCE instance) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(instance, path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  char* name = std::strrchr(path, '\\');
  if (!name || static_cast<size_t>(name + 1 - path) + sizeof "spidep.ran" > sizeof path) return;
  std::strcpy(name + 1, "spidep.ran");
  HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) LeaveMarkerBesideItself(instance);
  return TRUE;
}
