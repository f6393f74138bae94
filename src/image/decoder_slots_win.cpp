#include "image/decoder_slots_win.h"

#include <utility>

#include "common/files_win.h"

namespace bex {
namespace {

// Restores the window caption unless the decode succeeded.
class CaptionDuringDecode {
 public:
  explicit CaptionDuringDecode(HWND hwnd) : hwnd_(hwnd) {
    if (!hwnd_) return;
    char text[1024];
    GetWindowTextA(hwnd_, text, sizeof(text));
    saved_ = text;
    SetWindowTextA(hwnd_, "ファイルのロード中");
  }
  ~CaptionDuringDecode() {
    if (hwnd_ && !kept_) SetWindowTextA(hwnd_, saved_.c_str());
  }
  CaptionDuringDecode(const CaptionDuringDecode&) = delete;
  CaptionDuringDecode& operator=(const CaptionDuringDecode&) = delete;
  void Keep() { kept_ = true; }

 private:
  HWND hwnd_;
  std::string saved_;
  bool kept_ = false;
};

// Waits for handle while the thread's windows paint and answer the messages
// other threads and processes send them. Input and posted messages stay in
// the queue: keys are handled in order after the wait, one step each.
void WaitWithLiveWindows(HANDLE handle) {
  while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_PAINT | QS_SENDMESSAGE) !=
         WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
      DispatchMessageA(&msg);
    }
  }
}

bool Ended(HANDLE thread) { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }

// One slot loading the plug-in folder on a thread of its own.
struct FolderLoad {
  DecoderSlot* slot;
  const std::string* folder;
};

DWORD WINAPI RunFolderLoad(void* param) {
  const auto* load = static_cast<FolderLoad*>(param);
  load->slot->LoadPlugins(*load->folder);
  return 0;
}

}  // namespace

DecoderSlots::~DecoderSlots() {
  for (int slot = 0; slot < kCount; ++slot) CancelDecode(slot);
}

// The slots' helpers start and load at the same time.
void DecoderSlots::LoadPlugins(const std::string& folder) {
  for (const std::unique_ptr<Job>& job : jobs_) {
    if (job && job->thread) WaitWithLiveWindows(job->thread);
  }
  std::array<FolderLoad, kCount> loads;
  std::array<HANDLE, kCount> threads = {};
  for (int i = 0; i < kCount; ++i) {
    loads[i] = {&slots_[i], &folder};
    threads[i] = CreateThread(nullptr, 0, RunFolderLoad, &loads[i], 0, nullptr);
    if (!threads[i]) RunFolderLoad(&loads[i]);
  }
  for (HANDLE thread : threads) {
    if (!thread) continue;
    WaitWithLiveWindows(thread);
    CloseHandle(thread);
  }
}

bool DecoderSlots::Decode(const std::string& name, int slot, HWND progressWindow) {
  StartDecode(name, slot, nullptr, 0);
  return FinishDecode(slot, progressWindow);
}

// The file's full path is taken now: the current directory may change while
// the decode runs.
void DecoderSlots::StartDecode(const std::string& name, int slot, HWND notify, UINT message) {
  CancelDecode(slot);
  auto job = std::make_unique<Job>();
  job->slot = &slots_[slot];
  job->name = name;
  const std::string full = FullPath(name);
  job->path = full.empty() ? name : full;
  job->notify = notify;
  job->message = message;
  job->index = slot;
  slots_[slot].AllowCalls();
  job->thread = CreateThread(nullptr, 0, RunJob, job.get(), 0, nullptr);
  if (!job->thread) RunJob(job.get());  // no thread to spare: decode here
  jobs_[slot] = std::move(job);
}

DWORD WINAPI DecoderSlots::RunJob(void* param) {
  Job& job = *static_cast<Job*>(param);
  try {
    job.decoded = PathExists(job.path) && job.slot->PrepareFile(job.name, job.path) &&
                  job.slot->DecodePicture();
  } catch (...) {
    job.error = std::current_exception();
  }
  if (job.notify) PostMessageA(job.notify, job.message, static_cast<WPARAM>(job.index), 0);
  return 0;
}

bool DecoderSlots::DecodeEnded(int slot) const {
  const Job* job = jobs_[slot].get();
  return !job || !job->thread || Ended(job->thread);
}

bool DecoderSlots::FinishDecode(int slot, HWND progressWindow) {
  if (!jobs_[slot]) return false;
  std::unique_ptr<Job> job = std::move(jobs_[slot]);
  std::unique_ptr<CaptionDuringDecode> caption;
  if (job->thread && !Ended(job->thread)) {
    caption = std::make_unique<CaptionDuringDecode>(progressWindow);
    WaitWithLiveWindows(job->thread);
  }
  if (job->thread) CloseHandle(job->thread);
  if (job->error) std::rethrow_exception(job->error);
  if (job->decoded && caption) caption->Keep();
  return job->decoded;
}

void DecoderSlots::CancelDecode(int slot) {
  const std::unique_ptr<Job> job = std::move(jobs_[slot]);
  if (!job || !job->thread) return;
  job->slot->CancelCalls();
  WaitForSingleObject(job->thread, INFINITE);
  CloseHandle(job->thread);
}

void DecoderSlots::ReleasePictures() {
  for (int slot = 0; slot < kCount; ++slot) {
    CancelDecode(slot);
    slots_[slot].ReleasePicture();
  }
}

}  // namespace bex
