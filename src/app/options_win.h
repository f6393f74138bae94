// The options and settings of the viewer: the settings file "bex.ini" beside
// the program, the persisted on/off options (topmost, no second instance with
// its instance lock, save the window bounds), the plug-in folder and the
// default sort order.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/settings_file_win.h"

namespace bex {

// Bits of the option flags, persisted in the settings file.
enum OptionBit : int {
  kOptionTopmost = 1,
  kOptionNoSecondLaunch = 2,
  kOptionSaveBounds = 4,
  // Filing: a registered or recent destination moves at once, without the
  // save dialog; the shown file's companions move, delete and undo with it.
  kOptionMoveWithoutDialog = 8,
  kOptionCompanionsAlong = 16,
};

constexpr char kInstanceLockName[] = "Bex Lock";

// True when the instance lock "Bex Lock" exists, held by this or another
// running viewer. The probe itself holds nothing.
bool InstanceLockExists();

class Options {
 public:
  // Opens the settings file of window's program and reads the plug-in folder.
  // A missing file is a first run, and a plug-in folder name shorter than
  // three characters is suspicious: both are told in a message, and start-up
  // goes on. A copy unpacked with its plug-ins in "plugins" beside the
  // program needs no setting up, and a first run says nothing.
  explicit Options(HWND window);
  Options(const Options&) = delete;
  Options& operator=(const Options&) = delete;

  // The folder the plug-ins are loaded from: the chosen one while it is a
  // folder; the "plugins" folder beside the program when none was chosen or
  // the chosen one is gone (the program's folder moved, say); otherwise the
  // chosen one as it is, or "c:\" without a choice.
  const std::string& PluginFolder() const { return pluginFolder_; }
  // What the first picture's decode needs, read before there is a window
  // (nothing is told): the plug-in folder, the fit mode, and the window's
  // stored outer size, none when it is not stored.
  struct FirstPictureSettings {
    std::string pluginFolder;
    int fitMode = 0;
    std::optional<SIZE> windowSize;
  };
  static FirstPictureSettings ReadForFirstPicture();
  // Makes folder the user's choice, which the settings file keeps from now on.
  void ChoosePluginFolder(std::string folder);

  // The stored window bounds. Each is applied as soon as it is read, so the
  // defaults of Top and Left centre the designed size on the desktop; nothing
  // is clamped to it.
  void ApplyStoredBounds(int desktopWidth, int desktopHeight);
  // The stored no-second-instance, topmost, save-bounds and filing options.
  void ApplyStoredSwitches();
  int StoredFitMode() const;
  void ReadDefaultSortOrder();

  int Flags() const { return flags_; }
  // This viewer holds the instance lock.
  bool HoldsInstanceLock() const { return lockHeld_; }
  void ToggleTopmost();
  // Takes the instance lock, or releases it; the option stays off when
  // another viewer holds the lock.
  void ToggleSingleInstance();
  void SetSaveBounds(bool on);
  // The filing options of ticked (kOptionMoveWithoutDialog, kOptionCompanionsAlong).
  void SetFilingOptions(int ticked);

  int DefaultSortKind() const { return defaultSortKind_; }
  int DefaultSortDirection() const { return defaultSortDirection_; }
  void SetDefaultSortOrder(int kind, int direction);

  // The close step's keys: the chosen plug-in folder, the window bounds when
  // the option is on, and the version. A refused write throws BexError.
  void WriteOnClose() const;
  // The keys of "設定", with the fit mode of this moment, the plug-in folder
  // only when one was chosen; the filing options
  // last, each only when it is on or the file holds it already, so that a
  // file written before them stays as it was. A refused write throws and
  // ends the writing at that key.
  void WriteDialogSettings(int fitMode) const;

 private:
  void WriteChosenPluginFolder() const;

  HWND window_;
  SettingsFile file_;
  // The plug-in folder the settings file holds or the user chose; none
  // while the one beside the program serves without a choice, so that it
  // still serves when the program's folder moves.
  std::optional<std::string> chosenPluginFolder_;
  std::string pluginFolder_;
  int flags_ = 0;
  HANDLE lock_ = nullptr;
  bool lockHeld_ = false;
  int defaultSortKind_ = 1;
  int defaultSortDirection_ = 1;
};

}  // namespace bex
