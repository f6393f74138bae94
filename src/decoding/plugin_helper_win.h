// The viewer's link to one plug-in helper process (bexspi.exe beside the
// program for 32-bit modules, bexspi64.exe for 64-bit ones): the helper loads
// the modules of the plug-in folder, asks them and has them decode, so that nothing a module does
// runs in the viewer. A helper that crashes, exits, hangs past the cut-off, answers nonsense or
// grows past the memory bound is ended; the next call starts a fresh one, which loads the same
// folder again. The helpers end with the viewer, also when it is killed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "decoding/helper_protocol.h"
#include "decoding/plugin_files.h"
#include "display/bitmap_win.h"

namespace bex {

// A module call that takes longer than this counts as hung. Generous, since a
// slow module must still decode the largest picture the viewer takes (64 Mi
// pixels, a big TIFF read from a network share). The environment variable
// BEX_PLUGIN_TIMEOUT_MS sets another cut-off (the tests use a short one).
constexpr DWORD kDefaultCallTimeoutMs = 60000;
// A helper whose committed memory passed this after a call is replaced: a
// leaking module costs at most this, and the helper's largest legitimate
// peak (a module's copy of a 64 Mi pixel picture) stays below it.
constexpr uint32_t kHelperMemoryBoundMiB = 512;
// The helper programs for each kind of module, in the viewer's own folder.
constexpr const wchar_t* kHelperPrograms[] = {L"bexspi.exe", L"bexspi64.exe"};

// Whether this Windows runs 64-bit programs (a 32-bit viewer under WoW64).
// The first answer is kept.
bool Runs64BitPrograms();

// Handles as the protocol carries them, in a 32-bit and a 64-bit process
// alike (only their low 32 bits are significant on Windows).
inline uint64_t HandleOnWire(HANDLE handle) {
  return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle));
}
inline HANDLE HandleFromWire(uint64_t value) {
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
}

// The section of a picture the viewer has let go of, kept for the helper to
// write its next picture into: memory that is ready costs less than new
// memory. Pictures may be let go of on any thread.
class SpareSection {
 public:
  SpareSection() { InitializeCriticalSection(&lock_); }
  ~SpareSection();
  SpareSection(const SpareSection&) = delete;
  SpareSection& operator=(const SpareSection&) = delete;

  // Keeps section, closing the one kept before.
  void Give(HANDLE section, uint64_t bytes);
  // The kept section and its size, which is then no longer kept; null if none.
  HANDLE Take(uint64_t* bytes);

 private:
  CRITICAL_SECTION lock_;
  HANDLE section_ = nullptr;
  uint64_t bytes_ = 0;
};

// One thread at a time makes the calls; Cancel may come from any thread.
class PluginHelper {
 public:
  explicit PluginHelper(ModuleKind kind = ModuleKind::k32Bit)
      : program_(kHelperPrograms[static_cast<int>(kind)]),
        cancel_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~PluginHelper();
  PluginHelper(const PluginHelper&) = delete;
  PluginHelper& operator=(const PluginHelper&) = delete;

  // Loads the modules of folder (a full path in UTF-8) named (in the order
  // that decides which module reads a file) and answers the usable ones, by
  // file name. Without any the helper keeps its modules as they were; the
  // answer is then empty.
  std::vector<std::string> LoadFolder(const std::string& folder,
                                      const std::vector<std::string>& modules);
  // The same modules, known to be usable, loaded only when the next call
  // starts a helper; a helper running with others is ended.
  void LoadFolderOnStart(const std::string& folder, const std::vector<std::string>& modules);
  // Ends the helper and forgets its modules.
  void Unload();
  const std::string& Folder() const { return folder_; }
  const std::vector<std::string>& Modules() const { return modules_; }
  // The index of the first module of firstModule, firstModule + 1, ...
  // (moduleCount of them) that reads the file (a full path), or none when no
  // module does or the helper failed.
  std::optional<uint32_t> Ask(const std::wstring& file, uint32_t firstModule = 0,
                              uint32_t moduleCount = kEveryModule);
  // The file decoded by module `module`, or null when the module refuses or
  // the helper failed; *tooLarge then tells a picture the module described
  // beyond kMaxPicturePixels.
  BitmapRef Decode(uint32_t module, const std::wstring& file, bool* tooLarge);
  // The file decoded by module `module` reduced to the fit box, where the
  // module has that route; *whole then gets the whole picture's size.
  BitmapRef DecodeToFit(uint32_t module, const std::wstring& file, FitBox box, SIZE* whole);

  // Starts a helper unless one runs, with the modules loaded last.
  void StartProcess() { EnsureRunning(); }
  // The running helper's process id, 0 when none runs.
  DWORD ProcessId() const { return process_.dwProcessId; }
  // Ends the helper now; the next call starts another.
  void End();
  // Makes the call under way, and every later one, fail at once; the helper
  // is ended, so that no module holds a file open. From any thread.
  void Cancel() { SetEvent(cancel_); }
  // Calls work again after Cancel.
  void AllowCalls() { ResetEvent(cancel_); }

 private:
  bool EnsureRunning();
  bool Start();
  std::optional<Frame> Call(HelperCall call, const std::function<std::string()>& payload);
  BitmapRef DecodeCall(uint32_t module, const std::wstring& file, FitBox fit,
                       PictureReply* content);
  bool Send(const Frame& frame);
  std::optional<Frame> Receive(DWORD deadline);
  bool ReadMore(DWORD deadline);
  void NoteMemory(uint32_t memoryMiB);
  BitmapRef TakePicture(const PictureReply& picture);
  uint64_t HandSpareSection(uint64_t* bytes);

  bool Cancelled() const { return WaitForSingleObject(cancel_, 0) == WAIT_OBJECT_0; }

  const wchar_t* program_;
  HANDLE cancel_;
  PROCESS_INFORMATION process_ = {};
  HANDLE pipe_ = nullptr;
  HANDLE readEvent_ = nullptr;
  HANDLE writeEvent_ = nullptr;
  OVERLAPPED read_ = {};
  bool reading_ = false;
  char buffer_[4096] = {};
  FrameReader reader_;
  RequestLedger ledger_;
  // The folder and modules the helper holds, loaded again by a fresh helper.
  std::string folder_;
  std::vector<std::string> modules_;
  bool replaceAfterCall_ = false;
  // Shared with the pictures, which give their sections back when they go.
  std::shared_ptr<SpareSection> spare_ = std::make_shared<SpareSection>();
};

// The cut-off of one module call: kDefaultCallTimeoutMs unless the environment
// sets another.
DWORD PluginCallTimeoutMs();

}  // namespace bex
