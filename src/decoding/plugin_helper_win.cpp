#include "decoding/plugin_helper_win.h"

#include <atomic>
#include <cstdlib>
#include <utility>

#include "common/files_win.h"
#include "common/start_trace_win.h"
#include "common/wide_text.h"
#include "shared/module_function_win.h"
#include "shared/picture_limits.h"

namespace bex {
namespace {

// Every helper of this viewer: the job ends them when its only handle, the
// viewer's, closes, also when the viewer is killed. The helpers' watch of the
// viewer stays for where the job cannot be had (a viewer already in a job on
// Windows 7).
HANDLE HelperJob() {
  static const HANDLE job = [] {
    HANDLE created = CreateJobObjectA(nullptr, nullptr);
    if (!created) return created;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return created;
  }();
  return job;
}

std::string NewPipeName() {
  static std::atomic<unsigned> counter{0};
  return "\\\\.\\pipe\\bex-plugins-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++counter);
}

// Slots start their helpers from threads of their own: one start at a time,
// so that no helper inherits the handles meant for another.
class StartLock {
 public:
  StartLock() { EnterCriticalSection(&Section()); }
  ~StartLock() { LeaveCriticalSection(&Section()); }
  StartLock(const StartLock&) = delete;
  StartLock& operator=(const StartLock&) = delete;

 private:
  static CRITICAL_SECTION& Section() {
    static CRITICAL_SECTION section;
    static const bool initialized = (InitializeCriticalSection(&section), true);
    static_cast<void>(initialized);
    return section;
  }
};

// The helpers' standard handles: they write nowhere, and hold nothing of the
// viewer's own (a console, or the pipe of whoever reads the viewer's output).
HANDLE NullDevice() {
  static const HANDLE device = [] {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, OPEN_EXISTING, 0, nullptr);
  }();
  return device;
}

// PROC_THREAD_ATTRIBUTE_JOB_LIST of Windows 10, which the headers declare
// only for builds that require it.
constexpr DWORD_PTR kJobListAttribute = ProcThreadAttributeValue(13, FALSE, TRUE, FALSE);

// Creates the helper inside job, inheriting only the handles given, where
// Windows can do that as it creates a process (Windows 10 on).
bool CreateInsideJob(HANDLE job, const std::wstring& program, std::wstring& commandLine,
                     const STARTUPINFOW& startup, std::vector<HANDLE>& inherited,
                     PROCESS_INFORMATION* process) {
  constexpr DWORD kAttributes = 2;
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, kAttributes, 0, &size);
  if (size == 0) return false;
  std::vector<char> attributeMemory(size);
  STARTUPINFOEXW extended = {};
  extended.StartupInfo = startup;
  extended.StartupInfo.cb = sizeof extended;
  extended.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeMemory.data());
  if (!InitializeProcThreadAttributeList(extended.lpAttributeList, kAttributes, 0, &size)) {
    return false;
  }
  const bool created = UpdateProcThreadAttribute(extended.lpAttributeList, 0, kJobListAttribute,
                                                 &job, sizeof job, nullptr, nullptr) &&
                       UpdateProcThreadAttribute(
                           extended.lpAttributeList, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                           inherited.data(), inherited.size() * sizeof(HANDLE), nullptr, nullptr) &&
                       CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      EXTENDED_STARTUPINFO_PRESENT, nullptr,
                                      WideProgramFolder().c_str(), &extended.StartupInfo, process);
  DeleteProcThreadAttributeList(extended.lpAttributeList);
  return created;
}

// A helper created inside the job goes with a viewer killed while it creates
// the helper; one put in after creation would be left suspended for good
// (its creator lets it go at the end), and under Wine it held what it
// inherited, even as a process that never started. Where the job cannot be
// given at creation, the helper goes in right after.
bool CreateHelperProcess(const std::wstring& program, std::wstring& commandLine,
                         const STARTUPINFOW& startup, std::vector<HANDLE> inherited,
                         PROCESS_INFORMATION* process) {
  HANDLE job = HelperJob();
  if (job && CreateInsideJob(job, program, commandLine, startup, inherited, process)) return true;
  STARTUPINFOW plain = startup;
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      WideProgramFolder().c_str(), &plain, process)) {
    return false;
  }
  if (job) AssignProcessToJobObject(job, process->hProcess);
  return true;
}

// A handle of this process that the helper inherits, as it appears there.
HANDLE InheritableCopy(HANDLE handle, DWORD access) {
  HANDLE copy = nullptr;
  const DWORD options = access ? 0 : DUPLICATE_SAME_ACCESS;
  if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, access, TRUE,
                       options)) {
    return nullptr;
  }
  return copy;
}

std::wstring HandleText(HANDLE handle) {
  return std::to_wstring(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(handle)));
}

// Milliseconds until deadline (GetTickCount time), 0 once it has passed.
DWORD Remaining(DWORD deadline) {
  const auto left = static_cast<int32_t>(deadline - GetTickCount());
  return left > 0 ? static_cast<DWORD>(left) : 0;
}

void CloseIfOpen(HANDLE& handle) {
  if (handle) CloseHandle(handle);
  handle = nullptr;
}

}  // namespace

// The native machine where the system tells it (IsWow64Process2), else
// whether this process runs under WoW64; a 64-bit process knows it. Asked
// once.
bool Runs64BitPrograms() {
  static const bool runs = [] {
    if (sizeof(void*) == 8) return true;
    using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    USHORT process = 0;
    USHORT machine = 0;
    if (const auto native = ModuleFunction<IsWow64Process2Fn>(kernel, "IsWow64Process2")) {
      if (native(GetCurrentProcess(), &process, &machine)) {
        return machine == IMAGE_FILE_MACHINE_AMD64 || machine == IMAGE_FILE_MACHINE_ARM64;
      }
    }
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
  }();
  return runs;
}

SpareSection::~SpareSection() {
  if (section_) CloseHandle(section_);
  DeleteCriticalSection(&lock_);
}

void SpareSection::Give(HANDLE section, uint64_t bytes) {
  EnterCriticalSection(&lock_);
  std::swap(section_, section);
  bytes_ = bytes;
  LeaveCriticalSection(&lock_);
  if (section) CloseHandle(section);
}

HANDLE SpareSection::Take(uint64_t* bytes) {
  EnterCriticalSection(&lock_);
  HANDLE section = std::exchange(section_, nullptr);
  *bytes = bytes_;
  LeaveCriticalSection(&lock_);
  return section;
}

DWORD PluginCallTimeoutMs() {
  char text[16];
  const DWORD length = GetEnvironmentVariableA("BEX_PLUGIN_TIMEOUT_MS", text, sizeof text);
  if (length == 0 || length >= sizeof text) return kDefaultCallTimeoutMs;
  const unsigned long value = std::strtoul(text, nullptr, 10);
  return value > 0 ? static_cast<DWORD>(value) : kDefaultCallTimeoutMs;
}

std::vector<std::string> PluginHelper::LoadFolder(const std::string& folder,
                                                  const std::vector<std::string>& modules) {
  const std::optional<Frame> reply =
      Call(HelperCall::kLoadFolder, [&] { return LoadFolderRequest(folder, modules); });
  if (!reply) return {};
  std::optional<Answer<std::vector<std::string>>> answer = ReadModulesReply(reply->payload);
  if (!answer) {
    End();
    return {};
  }
  NoteMemory(answer->memoryMiB);
  NoteStartMoment("helper");
  if (!answer->content.empty()) {
    folder_ = folder;
    modules_ = answer->content;
  }
  return std::move(answer->content);
}

void PluginHelper::LoadFolderOnStart(const std::string& folder,
                                     const std::vector<std::string>& modules) {
  if (folder == folder_ && modules == modules_) return;
  End();
  folder_ = folder;
  modules_ = modules;
}

void PluginHelper::Unload() {
  End();
  folder_.clear();
  modules_.clear();
}

// Files travel to the helper as UTF-8, which holds every wide path.
std::optional<uint32_t> PluginHelper::Ask(const std::wstring& file, uint32_t firstModule,
                                          uint32_t moduleCount) {
  const std::optional<Frame> reply = Call(
      HelperCall::kAsk, [&] { return AskRequest(WideToUtf8(file), firstModule, moduleCount); });
  if (!reply) return std::nullopt;
  const std::optional<Answer<uint32_t>> answer = ReadChoiceReply(reply->payload);
  if (!answer) {
    End();
    return std::nullopt;
  }
  NoteMemory(answer->memoryMiB);
  if (answer->content == kNoModule) return std::nullopt;
  return answer->content;
}

BitmapRef PluginHelper::Decode(uint32_t module, const std::wstring& file, bool* tooLarge) {
  PictureReply content;
  BitmapRef picture = DecodeCall(module, file, {}, &content);
  *tooLarge = !content.decoded && uint64_t{content.width} * content.height > kMaxPicturePixels;
  return picture;
}

BitmapRef PluginHelper::DecodeToFit(uint32_t module, const std::wstring& file, FitBox box,
                                    SIZE* whole) {
  PictureReply content;
  BitmapRef picture = DecodeCall(module, file, box, &content);
  if (!picture || content.wholeWidth < content.width || content.wholeHeight < content.height ||
      uint64_t{content.wholeWidth} * content.wholeHeight > kMaxPicturePixels) {
    return nullptr;
  }
  *whole = {static_cast<LONG>(content.wholeWidth), static_cast<LONG>(content.wholeHeight)};
  return picture;
}

// The spare section goes into the helper that gets a request for a whole
// picture; a reduced one is small.
BitmapRef PluginHelper::DecodeCall(uint32_t module, const std::wstring& file, FitBox fit,
                                   PictureReply* content) {
  const std::optional<Frame> reply = Call(HelperCall::kDecode, [&] {
    uint64_t spareBytes = 0;
    const uint64_t spare = fit.Given() ? 0 : HandSpareSection(&spareBytes);
    return DecodeRequest(module, WideToUtf8(file), spare, spareBytes, fit);
  });
  if (!reply) return nullptr;
  const std::optional<Answer<PictureReply>> answer = ReadPictureReply(reply->payload);
  if (!answer) {
    End();
    return nullptr;
  }
  *content = answer->content;
  BitmapRef picture = content->decoded ? TakePicture(*content) : nullptr;
  NoteMemory(answer->memoryMiB);
  return picture;
}

PluginHelper::~PluginHelper() {
  End();
  if (cancel_) CloseHandle(cancel_);
}

void PluginHelper::End() {
  if (process_.hProcess) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, INFINITE);
  }
  if (reading_) {
    CancelIo(pipe_);
    DWORD ignored = 0;
    GetOverlappedResult(pipe_, &read_, &ignored, TRUE);
    reading_ = false;
  }
  CloseIfOpen(pipe_);
  CloseIfOpen(readEvent_);
  CloseIfOpen(writeEvent_);
  CloseIfOpen(process_.hProcess);
  CloseIfOpen(process_.hThread);
  process_ = {};
  reader_ = FrameReader();
  ledger_.Forget();
  replaceAfterCall_ = false;
}

// A fresh helper holds the modules of the folder loaded last.
bool PluginHelper::EnsureRunning() {
  if (Cancelled() || replaceAfterCall_ ||
      (process_.hProcess && WaitForSingleObject(process_.hProcess, 0) != WAIT_TIMEOUT)) {
    End();
  }
  if (process_.hProcess) return true;
  if (Cancelled() || !Start()) return false;
  if (modules_.empty()) return true;
  const std::optional<Frame> reply =
      Call(HelperCall::kLoadFolder, [this] { return LoadFolderRequest(folder_, modules_); });
  return reply.has_value() && process_.hProcess;
}

// The helper gets its end of a pipe and a handle of the viewer (it ends
// itself when the viewer is gone), and the program's folder as its current
// directory, never the pictures' folder.
bool PluginHelper::Start() {
  const std::string name = NewPipeName();
  pipe_ = CreateNamedPipeA(
      name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, sizeof buffer_, sizeof buffer_, 0,
      nullptr);
  if (pipe_ == INVALID_HANDLE_VALUE) pipe_ = nullptr;
  readEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  writeEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!pipe_ || !readEvent_ || !writeEvent_) {
    End();
    return false;
  }
  // The pipe listens before its other end is opened.
  OVERLAPPED connect = {};
  connect.hEvent = readEvent_;
  const bool listening = ConnectNamedPipe(pipe_, &connect) || GetLastError() == ERROR_IO_PENDING ||
                         GetLastError() == ERROR_PIPE_CONNECTED;
  const StartLock oneAtATime;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE helperEnd = listening ? CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                             &inherit, OPEN_EXISTING, 0, nullptr)
                               : INVALID_HANDLE_VALUE;
  DWORD ignored = 0;
  if (listening) {
    if (helperEnd == INVALID_HANDLE_VALUE) CancelIo(pipe_);
    GetOverlappedResult(pipe_, &connect, &ignored, TRUE);
  }
  HANDLE viewer = InheritableCopy(GetCurrentProcess(), SYNCHRONIZE);
  const std::wstring program = WideProgramFolder() + program_;
  std::wstring commandLine =
      L"\"" + program + L"\" " + HandleText(helperEnd) + L" " + HandleText(viewer);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  std::vector<HANDLE> inherited = {helperEnd, viewer};
  if (NullDevice() != INVALID_HANDLE_VALUE) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = NullDevice();
    inherited.push_back(NullDevice());
  }
  NoteStartMoment("helper-start");
  const bool started = helperEnd != INVALID_HANDLE_VALUE && viewer &&
                       CreateHelperProcess(program, commandLine, startup, inherited, &process_);
  NoteStartMoment("helper-created");
  if (helperEnd != INVALID_HANDLE_VALUE) CloseHandle(helperEnd);
  if (viewer) CloseHandle(viewer);
  if (!started) {
    process_ = {};
    End();
    return false;
  }
  return true;
}

// The payload is made once the helper that gets it runs.
std::optional<Frame> PluginHelper::Call(HelperCall call,
                                        const std::function<std::string()>& payload) {
  if (!EnsureRunning()) return std::nullopt;
  const DWORD deadline = GetTickCount() + PluginCallTimeoutMs();
  Frame request;
  request.id = ledger_.Start(call);
  request.call = call;
  request.payload = payload();
  if (!Send(request)) {
    End();
    return std::nullopt;
  }
  std::optional<Frame> reply = Receive(deadline);
  if (reply && ledger_.Settle(*reply)) return reply;
  End();
  return std::nullopt;
}

bool PluginHelper::Send(const Frame& frame) {
  const std::string bytes = EncodeFrame(frame);
  OVERLAPPED write = {};
  write.hEvent = writeEvent_;
  ResetEvent(writeEvent_);
  DWORD written = 0;
  if (!WriteFile(pipe_, bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &write) &&
      GetLastError() != ERROR_IO_PENDING) {
    return false;
  }
  const HANDLE waits[] = {writeEvent_, cancel_};
  if (WaitForMultipleObjects(2, waits, FALSE, PluginCallTimeoutMs()) != WAIT_OBJECT_0) {
    CancelIo(pipe_);
    GetOverlappedResult(pipe_, &write, &written, TRUE);
    return false;
  }
  return GetOverlappedResult(pipe_, &write, &written, FALSE) && written == bytes.size();
}

std::optional<Frame> PluginHelper::Receive(DWORD deadline) {
  for (;;) {
    if (std::optional<Frame> frame = reader_.Next()) return frame;
    if (reader_.Broken() || !ReadMore(deadline)) return std::nullopt;
  }
}

// Waits for the helper's next bytes; false when it ended, broke the pipe,
// is still silent at the deadline or the call was cancelled.
bool PluginHelper::ReadMore(DWORD deadline) {
  if (!reading_) {
    read_ = {};
    read_.hEvent = readEvent_;
    ResetEvent(readEvent_);
    if (!ReadFile(pipe_, buffer_, sizeof buffer_, nullptr, &read_) &&
        GetLastError() != ERROR_IO_PENDING) {
      return false;
    }
    reading_ = true;
  }
  const HANDLE waits[] = {readEvent_, process_.hProcess, cancel_};
  if (WaitForMultipleObjects(3, waits, FALSE, Remaining(deadline)) != WAIT_OBJECT_0) return false;
  DWORD count = 0;
  const bool read = GetOverlappedResult(pipe_, &read_, &count, FALSE);
  reading_ = false;
  if (!read) return false;
  reader_.Feed(buffer_, count);
  return true;
}

void PluginHelper::NoteMemory(uint32_t memoryMiB) {
  if (memoryMiB > kHelperMemoryBoundMiB) replaceAfterCall_ = true;
}

// The spare section moves into the running helper, as it appears there; 0
// when there is none.
uint64_t PluginHelper::HandSpareSection(uint64_t* bytes) {
  uint64_t spareBytes = 0;
  HANDLE spare = spare_->Take(&spareBytes);
  HANDLE inHelper = nullptr;
  if (!spare) return 0;
  // The handle here is closed whether or not the copy succeeds.
  if (!DuplicateHandle(GetCurrentProcess(), spare, process_.hProcess, &inHelper, 0, FALSE,
                       DUPLICATE_SAME_ACCESS | DUPLICATE_CLOSE_SOURCE)) {
    return 0;
  }
  *bytes = spareBytes;
  return HandleOnWire(inHelper);
}

// The section the helper wrote becomes the viewer's, and the helper's handle
// of it goes; when the picture goes, its section is kept as the spare.
BitmapRef PluginHelper::TakePicture(const PictureReply& picture) {
  HANDLE section = nullptr;
  if (!DuplicateHandle(process_.hProcess, HandleFromWire(picture.pixels), GetCurrentProcess(),
                       &section, 0, FALSE, DUPLICATE_SAME_ACCESS | DUPLICATE_CLOSE_SOURCE)) {
    return nullptr;
  }
  if (picture.width == 0 || picture.height == 0 ||
      uint64_t{picture.width} * picture.height > kMaxPicturePixels) {
    CloseHandle(section);
    return nullptr;
  }
  return Bitmap::OnSection(
      section, static_cast<int>(picture.width), static_cast<int>(picture.height),
      [spare = spare_](HANDLE released, uint64_t bytes) { spare->Give(released, bytes); });
}

}  // namespace bex
