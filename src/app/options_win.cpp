#include "app/options_win.h"

#include "common/code_page_win.h"
#include "common/files_win.h"
#include "common/message_box_win.h"

namespace bex {
namespace {

// The folder "plugins" beside the program, where the portable zip brings the
// plug-ins; empty when there is none.
std::string PluginsBesideProgram() {
  const std::string folder = ProgramFolder() + "plugins";
  return IsFolder(FromCp932(folder)) ? folder : std::string();
}

std::string PluginFolderToUse(const std::optional<std::string>& chosen) {
  if (chosen && IsFolder(FromCp932(*chosen))) return *chosen;
  const std::string beside = PluginsBesideProgram();
  if (!beside.empty()) return beside;
  return chosen.value_or(settings::kPluginFolder.textDefault);
}

std::string SettingsFilePath() { return ProgramFolder() + "bex.ini"; }

std::string SettingsPath(HWND window) {
  const std::string path = SettingsFilePath();
  if (!PathExists(path) && PluginsBesideProgram().empty()) {
    ShowMessage(
        window,
        "初期起動です。\n環境設定を行ってください。\n(特にSusie Plug-inのあるフォルダーの登録)",
        "初期起動メッセージ");
  }
  return path;
}

RECT OuterRect(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r;
}

// The outer bounds in screen coordinates that the window has, or gets back
// when it is restored from being minimised or maximised. GetWindowPlacement
// gives them in workspace coordinates, which are counted from the work area
// of the window's monitor.
RECT RestoredRect(HWND window) {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) return OuterRect(window);
  RECT r = placement.rcNormalPosition;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor)) {
    OffsetRect(&r, monitor.rcWork.left - monitor.rcMonitor.left,
               monitor.rcWork.top - monitor.rcMonitor.top);
  }
  return r;
}

struct FilingSwitch {
  const SettingKey& key;
  int bit;
};
const FilingSwitch kFilingSwitches[] = {
    {settings::kNoMoveDialog, kOptionMoveWithoutDialog},
    {settings::kCompanions, kOptionCompanionsAlong},
};

}  // namespace

Options::Options(HWND window)
    : window_(window),
      file_(SettingsPath(window)),
      chosenPluginFolder_(file_.ReadStored(settings::kPluginFolder)),
      pluginFolder_(PluginFolderToUse(chosenPluginFolder_)) {
  if (pluginFolder_.size() < 3) {
    ShowMessage(window_, "Susie Plug-inのフォルダー設定が異常です。\n設定画面で修正してください",
                "インストール異常");
  }
}

Options::FirstPictureSettings Options::ReadForFirstPicture() {
  const SettingsFile file(SettingsFilePath());
  FirstPictureSettings settings;
  settings.pluginFolder = PluginFolderToUse(file.ReadStored(settings::kPluginFolder));
  settings.fitMode = file.ReadInt(settings::kFitMode);
  if (file.Has(settings::kWidth) && file.Has(settings::kHeight)) {
    settings.windowSize = SIZE{file.ReadInt(settings::kWidth), file.ReadInt(settings::kHeight)};
  }
  return settings;
}

void Options::ChoosePluginFolder(std::string folder) {
  chosenPluginFolder_ = std::move(folder);
  pluginFolder_ = PluginFolderToUse(chosenPluginFolder_);
}

void Options::ApplyStoredBounds(int desktopWidth, int desktopHeight) {
  auto place = [this](int left, int top, int width, int height) {
    SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  RECT r = OuterRect(window_);
  const int top = file_.ReadInt(settings::kTop, (desktopHeight - (r.bottom - r.top)) / 2);
  place(r.left, top, r.right - r.left, r.bottom - r.top);
  r = OuterRect(window_);
  const int left = file_.ReadInt(settings::kLeft, (desktopWidth - (r.right - r.left)) / 2);
  place(left, r.top, r.right - r.left, r.bottom - r.top);
  r = OuterRect(window_);
  const int height = file_.ReadInt(settings::kHeight, r.bottom - r.top);
  place(r.left, r.top, r.right - r.left, height);
  r = OuterRect(window_);
  const int width = file_.ReadInt(settings::kWidth, r.right - r.left);
  place(r.left, r.top, width, r.bottom - r.top);
}

void Options::ApplyStoredSwitches() {
  if (file_.ReadBool(settings::kNoSecondLaunch)) ToggleSingleInstance();
  if (file_.ReadBool(settings::kTopmost)) ToggleTopmost();
  if (file_.ReadBool(settings::kSaveBounds)) flags_ |= kOptionSaveBounds;
  for (const FilingSwitch& filing : kFilingSwitches) {
    if (file_.ReadInt(filing.key) != 0) flags_ |= filing.bit;
  }
}

int Options::StoredFitMode() const { return file_.ReadInt(settings::kFitMode); }

void Options::ReadDefaultSortOrder() {
  defaultSortKind_ = file_.ReadInt(settings::kSortKind);
  defaultSortDirection_ = file_.ReadInt(settings::kSortDirection);
}

void Options::ToggleTopmost() {
  const bool topmost = (flags_ & kOptionTopmost) != 0;
  SetWindowPos(window_, topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  flags_ ^= kOptionTopmost;
}

void Options::ToggleSingleInstance() {
  HANDLE h = CreateMutexA(nullptr, FALSE, kInstanceLockName);
  const DWORD error = GetLastError();
  if (h && error != ERROR_ALREADY_EXISTS) {
    lock_ = h;
    lockHeld_ = true;
    flags_ |= kOptionNoSecondLaunch;
    return;
  }
  if (h) {
    CloseHandle(h);
    if (lockHeld_) CloseHandle(lock_);
    lock_ = nullptr;
  }
  lockHeld_ = false;
  flags_ &= ~kOptionNoSecondLaunch;
}

bool InstanceLockExists() {
  SetLastError(ERROR_SUCCESS);
  HANDLE probe = CreateMutexA(nullptr, FALSE, kInstanceLockName);
  const bool existed = probe && GetLastError() == ERROR_ALREADY_EXISTS;
  if (probe) CloseHandle(probe);
  return existed;
}

void Options::SetSaveBounds(bool on) {
  flags_ = (flags_ & ~kOptionSaveBounds) | (on ? kOptionSaveBounds : 0);
}

void Options::SetFilingOptions(int ticked) {
  for (const FilingSwitch& filing : kFilingSwitches) {
    flags_ = (flags_ & ~filing.bit) | (ticked & filing.bit);
  }
}

void Options::SetDefaultSortOrder(int kind, int direction) {
  defaultSortDirection_ = direction;
  defaultSortKind_ = kind;
}

void Options::WriteChosenPluginFolder() const {
  if (chosenPluginFolder_) file_.WriteString(settings::kPluginFolder, *chosenPluginFolder_);
}

void Options::WriteOnClose() const {
  WriteChosenPluginFolder();
  if (flags_ & kOptionSaveBounds) {
    const RECT r = RestoredRect(window_);
    file_.WriteInt(settings::kTop, r.top);
    file_.WriteInt(settings::kLeft, r.left);
    file_.WriteInt(settings::kHeight, r.bottom - r.top);
    file_.WriteInt(settings::kWidth, r.right - r.left);
  }
  file_.WriteString(settings::kVersion, kSettingsVersion);
}

void Options::WriteDialogSettings(int fitMode) const {
  file_.WriteBool(settings::kNoSecondLaunch, flags_ & kOptionNoSecondLaunch);
  file_.WriteBool(settings::kTopmost, flags_ & kOptionTopmost);
  file_.WriteBool(settings::kSaveBounds, flags_ & kOptionSaveBounds);
  file_.WriteInt(settings::kFitMode, fitMode);
  file_.WriteInt(settings::kSortKind, defaultSortKind_);
  file_.WriteInt(settings::kSortDirection, defaultSortDirection_);
  WriteChosenPluginFolder();
  for (const FilingSwitch& filing : kFilingSwitches) {
    const bool on = (flags_ & filing.bit) != 0;
    if (on || file_.Has(filing.key)) file_.WriteInt(filing.key, on ? 1 : 0);
  }
}

}  // namespace bex
