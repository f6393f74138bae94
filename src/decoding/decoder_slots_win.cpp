#include "decoding/decoder_slots_win.h"

#include <utility>

#include "common/files_win.h"
#include "common/start_trace_win.h"
#include "display/image_area_win.h"

namespace bex {
namespace {

// Restores the window caption unless the decode succeeded.
class CaptionDuringDecode {
 public:
  explicit CaptionDuringDecode(HWND hwnd) : hwnd_(hwnd) {
    if (!hwnd_) return;
    wchar_t text[1024];
    GetWindowTextW(hwnd_, text, 1024);
    saved_ = text;
    SetWindowTextA(hwnd_, "ファイルのロード中");
  }
  ~CaptionDuringDecode() {
    if (hwnd_ && !kept_) SetWindowTextW(hwnd_, saved_.c_str());
  }
  CaptionDuringDecode(const CaptionDuringDecode&) = delete;
  CaptionDuringDecode& operator=(const CaptionDuringDecode&) = delete;
  void Keep() { kept_ = true; }

 private:
  HWND hwnd_;
  std::wstring saved_;
  bool kept_ = false;
};

// Waits for handle while the thread's windows paint and answer the messages
// other threads and processes send them. Input and posted messages stay in
// the queue: keys are handled in order after the wait, one step each.
void WaitWithLiveWindows(HANDLE handle) {
  while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_PAINT | QS_SENDMESSAGE) !=
         WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
      DispatchMessageW(&msg);
    }
  }
}

// The same on a handle of its own: a message handled meanwhile may give the
// decode up and close the job's handles.
void WaitForOwnCopyWithLiveWindows(HANDLE handle) {
  HANDLE own = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &own, SYNCHRONIZE, FALSE,
                       0)) {
    WaitForSingleObject(handle, INFINITE);
    return;
  }
  WaitWithLiveWindows(own);
  CloseHandle(own);
}

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

// The helpers of the three slots a step needs start and load at the same
// time; the fourth, used only while keys are held, starts when first needed.
void DecoderSlots::LoadPlugins(const std::string& folder) {
  for (const std::unique_ptr<Job>& job : jobs_) {
    if (job && job->thread) WaitWithLiveWindows(job->thread);
  }
  constexpr int kLoadedNow = 3;
  std::array<FolderLoad, kLoadedNow> loads;
  std::array<HANDLE, kLoadedNow> threads = {};
  for (int i = 0; i < kLoadedNow; ++i) {
    loads[i] = {&slots_[i], &folder};
    threads[i] = CreateThread(nullptr, 0, RunFolderLoad, &loads[i], 0, nullptr);
    if (!threads[i]) RunFolderLoad(&loads[i]);
  }
  for (HANDLE thread : threads) {
    if (!thread) continue;
    WaitWithLiveWindows(thread);
    CloseHandle(thread);
  }
  for (int i = kLoadedNow; i < kCount; ++i) slots_[i].TakePluginsOf(slots_[0]);
}

void DecoderSlots::LoadPluginsWhenNeeded(const std::string& folder) {
  for (int slot = 0; slot < kCount; ++slot) {
    const Job* job = jobs_[slot].get();
    if (job && job->folderAfter == folder) continue;
    CancelDecode(slot);
    slots_[slot].LoadPluginsWhenNeeded(folder);
  }
}

// The helpers' processes are created here, before this thread loads the
// libraries of the window: meanwhile the load's thread waited for the
// system's loader lock, and a process took twice as long to create (under
// Wine, 15 ms against 30).
void DecoderSlots::LoadPluginsAhead(int slot, const std::string& folder) {
  CancelDecode(slot);
  slots_[slot].StartHelpersFor(folder);
  slots_[slot].LoadPluginsWhenNeeded(folder);
  auto job = std::make_unique<Job>();
  job->slot = &slots_[slot];
  job->folder = folder;
  job->folderAfter = folder;
  Run(std::move(job), slot);
}

bool DecoderSlots::Decode(const std::wstring& name, int slot, HWND progressWindow) {
  StartDecode(name, slot, nullptr, 0);
  return FinishDecode(slot, progressWindow);
}

// The file's full path is taken now: the current directory may change while
// the decode runs.
void DecoderSlots::StartDecode(const std::wstring& name, int slot, HWND notify, UINT message,
                               const std::optional<LayoutInput>& layout, FitBox firstViewBox) {
  if (Job* ahead = DecodeToTakeOver(name, slot, firstViewBox)) {
    ahead->TakeOver(notify, message, layout);
    return;
  }
  std::unique_ptr<Job> job = NewDecode(name, FullPathOrAsGiven(name), slot, firstViewBox);
  job->layout = layout;
  job->notify = notify;
  job->message = message;
  Run(std::move(job), slot);
}

void DecoderSlots::DecodeAhead(const std::wstring& name, const std::wstring& path, int slot,
                               FitBox firstViewBox) {
  std::unique_ptr<Job> job = NewDecode(name, path, slot, firstViewBox);
  job->ahead = true;
  Run(std::move(job), slot);
}

// A reduced picture made for a larger box is sharp enough for a smaller
// one, and a part for a larger box holds the one for a smaller box.
DecoderSlots::Job* DecoderSlots::DecodeToTakeOver(const std::wstring& name, int slot,
                                                  FitBox firstViewBox) {
  Job* job = jobs_[slot].get();
  if (!job || !job->ahead || job->name != name || job->path != FullPathOrAsGiven(name)) {
    return nullptr;
  }
  job->ahead = false;
  const bool covered = job->fit.Given()
                           ? firstViewBox.Given() && job->fit.part == firstViewBox.part &&
                                 job->fit.width >= firstViewBox.width &&
                                 job->fit.height >= firstViewBox.height
                           : !firstViewBox.Given();
  return covered ? job : nullptr;
}

// The decode follows a load of the plug-in folder ahead and gives up any
// other job of the slot.
std::unique_ptr<DecoderSlots::Job> DecoderSlots::NewDecode(const std::wstring& name,
                                                           const std::wstring& path, int slot,
                                                           FitBox firstViewBox) {
  std::unique_ptr<Job> loadAhead;
  if (jobs_[slot] && jobs_[slot]->folder) {
    loadAhead = std::move(jobs_[slot]);
  } else {
    CancelDecode(slot);
  }
  auto job = std::make_unique<Job>();
  if (loadAhead) job->folderAfter = loadAhead->folderAfter;
  job->loadAhead = std::move(loadAhead);
  job->slot = &slots_[slot];
  job->name = name;
  job->path = path;
  job->index = slot;
  if (firstViewBox.Given()) {
    job->fit = firstViewBox;
    job->firstViewReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
  return job;
}

void DecoderSlots::Job::TakeOver(HWND notifyWindow, UINT notifyMessage,
                                 const std::optional<LayoutInput>& copyLayout) {
  AcquireSRWLockExclusive(&handover);
  notify = notifyWindow;
  message = notifyMessage;
  layout = copyLayout;
  const bool endedBefore = ended;
  ReleaseSRWLockExclusive(&handover);
  if (endedBefore && notify) PostMessageA(notify, message, static_cast<WPARAM>(index), 0);
}

std::optional<LayoutInput> DecoderSlots::Job::Layout() {
  AcquireSRWLockShared(&handover);
  std::optional<LayoutInput> copyLayout = layout;
  ReleaseSRWLockShared(&handover);
  return copyLayout;
}

void DecoderSlots::Job::End() {
  AcquireSRWLockExclusive(&handover);
  ended = true;
  const HWND notifyWindow = notify;
  const UINT notifyMessage = message;
  ReleaseSRWLockExclusive(&handover);
  if (notifyWindow) PostMessageA(notifyWindow, notifyMessage, static_cast<WPARAM>(index), 0);
}

BitmapRef DecoderSlots::WaitForFirstView(int slot, SIZE* whole) {
  const Job* waited = jobs_[slot].get();
  if (!waited || !waited->firstViewReady) return nullptr;
  WaitForOwnCopyWithLiveWindows(waited->firstViewReady);
  if (jobs_[slot].get() != waited || !waited->firstView) return nullptr;
  *whole = waited->whole;
  return waited->firstView;
}

void DecoderSlots::Run(std::unique_ptr<Job> job, int slot) {
  job->thread = CreateThread(nullptr, 0, RunJob, job.get(), 0, nullptr);
  if (!job->thread) RunJob(job.get());  // no thread to spare: run it here
  jobs_[slot] = std::move(job);
}

DWORD WINAPI DecoderSlots::RunJob(void* param) {
  Job& job = *static_cast<Job*>(param);
  if (job.loadAhead) {
    if (job.loadAhead->thread) {
      WaitForSingleObject(job.loadAhead->thread, INFINITE);
      CloseHandle(job.loadAhead->thread);
    }
    job.loadAhead.reset();
  }
  try {
    if (job.folder) {
      job.slot->LoadPlugins(*job.folder);
    } else if (job.slot) {
      NoteStartMoment("decode");
      const bool prepared = PathExists(job.path) && job.slot->PrepareFile(job.name, job.path);
      if (prepared && job.firstViewReady) {
        job.firstView = job.slot->DecodeToFit(job.fit, &job.whole);
        SetEvent(job.firstViewReady);
      }
      job.decoded = prepared && job.slot->DecodePicture();
      if (job.decoded) job.picture = job.slot->Picture();
    }
    const std::optional<LayoutInput> layout = job.Layout();
    if (job.picture && layout) job.copy = MakeDisplayCopy(*job.picture, *layout);
  } catch (...) {
    job.error = std::current_exception();
  }
  // Before the report: its reader may come before the thread has returned.
  if (job.firstViewReady) SetEvent(job.firstViewReady);
  job.End();
  return 0;
}

bool DecoderSlots::DecodeEnded(int slot) const {
  const Job* job = jobs_[slot].get();
  return !job || job->ended;
}

// The job stays the slot's while the window waits, so that a close handled
// meanwhile gives it up and waits for its thread before the slot is emptied.
bool DecoderSlots::FinishDecode(int slot, HWND progressWindow) {
  const Job* waited = jobs_[slot].get();
  if (!waited) return false;
  std::unique_ptr<CaptionDuringDecode> caption;
  if (!waited->ended) caption = std::make_unique<CaptionDuringDecode>(progressWindow);
  if (waited->thread) WaitForOwnCopyWithLiveWindows(waited->thread);
  if (jobs_[slot].get() != waited) return false;
  const std::unique_ptr<Job> job = std::move(jobs_[slot]);
  if (job->thread) CloseHandle(job->thread);
  if (job->error) std::rethrow_exception(job->error);
  if (!job->decoded) return false;
  copies_[slot] = std::move(job->copy);
  if (caption) caption->Keep();
  return true;
}

// A display copy is not cancelled: it takes a moment, and no module is
// involved. The slot takes calls again afterwards (loading another plug-in
// folder, the next decode).
void DecoderSlots::CancelDecode(int slot) {
  const std::unique_ptr<Job> job = std::move(jobs_[slot]);
  if (!job || !job->thread) return;
  if (job->slot) job->slot->CancelCalls();
  WaitForSingleObject(job->thread, INFINITE);
  CloseHandle(job->thread);
  if (job->slot) job->slot->AllowCalls();
}

void DecoderSlots::Empty(int slot) {
  CancelDecode(slot);
  slots_[slot].ReleasePicture();
  copies_[slot].reset();
}

BitmapRef DecoderSlots::DisplayCopy(int slot) {
  const Job* job = jobs_[slot].get();
  if (job && !job->slot) {
    if (job->thread) WaitForSingleObject(job->thread, INFINITE);
    copies_[slot] = job->copy;
    CancelDecode(slot);
  }
  return copies_[slot];
}

void DecoderSlots::PrepareDisplayCopies(const LayoutInput& layout,
                                        std::initializer_list<int> slots) {
  for (const int slot : slots) {
    const BitmapRef picture = slots_[slot].Picture();
    if (jobs_[slot] || !picture) continue;
    const std::optional<SIZE> size = DisplayCopySize(*picture, layout);
    const BitmapRef& copy = copies_[slot];
    if (size && copy && copy->Width() == size->cx && copy->Height() == size->cy) continue;
    copies_[slot].reset();
    if (!size) continue;
    auto job = std::make_unique<Job>();
    job->picture = picture;
    job->layout = layout;
    Run(std::move(job), slot);
  }
}

void DecoderSlots::ReleasePictures() {
  for (int slot = 0; slot < kCount; ++slot) Empty(slot);
}

}  // namespace bex
