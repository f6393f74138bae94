// The settings dialog under Wine, driven from outside with keys and clicks:
// the first page applied and written to "bex.ini" on OK and dropped on
// Cancel, the lock box while another viewer holds the lock, and the second
// page building a destination tree through the folder-entry dialog, saved to
// "M_DIR.DAT".
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "support/bmp_writer.h"
#include "support/test_pictures.h"
#include "support/viewer_driver.h"
#include "support/wine_paths.h"

namespace bex::test {
namespace {

constexpr char kSettingsTitle[] = "環境設定";
constexpr char kFolderEntryTitle[] = "フォルダーの指定";
constexpr char kGroupEntryTitle[] = "グループの指定";

// Captions of the controls the tests press.
constexpr char kTuikaBox[] = "追加起動を禁止する   &K";
constexpr char kTopBox[] = "最前面表示ON         &T";
constexpr char kSavewinBox[] = "表示位置を保存する";
constexpr char kNoDialogBox[] = "移動ダイアログを省略する";
constexpr char kCompanionsBox[] = "関連ファイル(RAW等)も連動";
constexpr char kWinFromPic[] = "窓を画像に合わせる";
constexpr char kFitNone[] = "なし";
constexpr char kByName[] = "&N: 名前順";
constexpr char kBySize[] = "&S: サイズ順";
constexpr char kByExplorerOrder[] = "&E: エクスプローラー順";
constexpr char kAscending[] = "&F: 昇順";
constexpr char kDescending[] = "&B: 降順";
constexpr char kAddFolder[] = "新規追加(&N)";
constexpr char kChange[] = "変更(&C)";
constexpr char kAddGroup[] = "ｸﾞﾙｰﾌﾟ追加(&G)";
constexpr char kAddSeparator[] = "ｾﾊﾟﾚｰﾀ追加(&-)";
constexpr char kCut[] = "切り取り(&X)";
constexpr char kPaste[] = "貼り付け(&P)";
constexpr char kDelete[] = "削除(&D)";
constexpr char kUp[] = "↑(&U)";
constexpr char kDown[] = "↓(&B)";
constexpr char kLeave[] = "←(&<)";
constexpr char kEnter[] = "→(&>)";
constexpr char kPicker[] = "･･･";
constexpr const char* kEditorButtons[] = {kAddFolder, kChange, kAddGroup, kAddSeparator,
                                          kCut,       kPaste,  kDelete,   kUp,
                                          kDown,      kLeave,  kEnter};

struct ChildQuery {
  const char* className;
  const std::string* caption;  // null: any
  std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM data) {
  auto& q = *reinterpret_cast<ChildQuery*>(data);
  if (WindowClass(child) == q.className && (!q.caption || WindowText(child) == *q.caption)) {
    q.found.push_back(child);
  }
  return TRUE;
}

// Controls of a dialog of another process, in tab order.
std::vector<HWND> Controls(HWND dialog, const char* className, const std::string* caption) {
  ChildQuery query{className, caption, {}};
  EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

HWND Button(HWND dialog, const std::string& caption) {
  const std::vector<HWND> found = Controls(dialog, "Button", &caption);
  if (found.empty()) throw DriverError("no button \"" + caption + "\"");
  return found.front();
}

HWND NthControl(HWND dialog, const char* className, size_t n) {
  const std::vector<HWND> found = Controls(dialog, className, nullptr);
  if (found.size() <= n) throw DriverError(std::string("too few controls of class ") + className);
  return found[n];
}

LRESULT Ask(HWND control, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(control, msg, wParam, lParam, SMTO_ABORTIFHUNG, kWaitMs, &result);
  return static_cast<LRESULT>(result);
}

std::string ControlText(HWND control) {
  char text[1024] = "";
  const LRESULT length = Ask(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return std::string(text, length);
}

bool Checked(HWND button) { return Ask(button, BM_GETCHECK) == BST_CHECKED; }

// The lines of a list box of another process. The text crosses the process
// border as UTF-16 and is turned back into the system code page.
std::vector<std::string> ListLines(HWND list) {
  std::vector<std::string> lines;
  const LRESULT count = Ask(list, LB_GETCOUNT);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[1024] = L"";
    DWORD_PTR length = 0;
    SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        kWaitMs, &length);
    char bytes[2048];
    const int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), bytes,
                                      sizeof bytes, nullptr, nullptr);
    lines.emplace_back(bytes, n);
  }
  return lines;
}

int ListSelection(HWND list) { return static_cast<int>(Ask(list, LB_GETCURSEL)); }

// The enabled editor buttons as 1 and 0, in the page's order.
std::string EnabledButtons(HWND dialog) {
  std::string states;
  for (const char* caption : kEditorButtons) {
    states += IsWindowEnabled(Button(dialog, caption)) ? '1' : '0';
  }
  return states;
}

void ExpectEnabled(HWND dialog, const std::string& expected) {
  WaitUntil([&] { return EnabledButtons(dialog) == expected; });
  EXPECT_EQ(EnabledButtons(dialog), expected);
}

//                      ADD CHG GR SP CT PS DEL UP DN OYA KO
constexpr char kOnlyAdding[] = "10110000000";

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

SIZE ClientSizeOf(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right, r.bottom};
}

bool IsTopmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Left-button clicks at a screen point. The pointer is moved there through
// the X server first, as a hand moves it; the button events carry the point
// as well, because Wine's own idea of the pointer can lag behind the X
// pointer, and a bare button event would go where Wine last saw it.
void Clicks(POINT at, int count) {
  SendMouseMoves({{at.x - 1, at.y - 1}, at});
  const RECT desk = VirtualDesktop();
  const auto absolute = [](int offset, int size) {
    return static_cast<LONG>((static_cast<int64_t>(offset) * 65536 + size - 1) / size);
  };
  std::vector<INPUT> inputs;
  for (int i = 0; i < 2 * count; ++i) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = absolute(at.x - desk.left, desk.right - desk.left);
    in.mi.dy = absolute(at.y - desk.top, desk.bottom - desk.top);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK |
                    (i % 2 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN);
    inputs.push_back(in);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void Click(HWND control) { Clicks(Centre(WindowRect(control)), 1); }

// A point on line index of a list box of another process.
POINT ListLinePoint(HWND list, int index) {
  const int height = static_cast<int>(Ask(list, LB_GETITEMHEIGHT));
  POINT at{20, index * height + height / 2};
  ClientToScreen(list, &at);
  return at;
}

// The close box of a dialog's caption.
void ClickCloseBox(HWND dialog) {
  const RECT r = WindowRect(dialog);
  const int frame = GetSystemMetrics(SM_CXFIXEDFRAME);
  const POINT at{r.right - frame - GetSystemMetrics(SM_CXSIZE) / 2,
                 r.top + frame + GetSystemMetrics(SM_CYCAPTION) / 2};
  Clicks(at, 1);
}

// Input reaches the viewer's queue behind messages that the test sends, so
// a state that follows input is waited for before it is compared.
void ExpectLines(HWND list, const std::vector<std::string>& expected) {
  WaitUntil([&] { return ListLines(list) == expected; });
  EXPECT_EQ(ListLines(list), expected);
}

void ExpectSelection(HWND list, int expected) {
  WaitUntil([&] { return ListSelection(list) == expected; });
  EXPECT_EQ(ListSelection(list), expected);
}

void WaitForClosed(HWND dialog) {
  if (!WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); })) {
    throw DriverError("the dialog \"" + WindowText(dialog) + "\" stays open");
  }
}

// Keeps "Bex Lock" in existence like another running viewer.
class LockHolder {
 public:
  LockHolder() : handle_(CreateMutexA(nullptr, FALSE, "Bex Lock")) {}
  ~LockHolder() {
    if (handle_) CloseHandle(handle_);
  }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

 private:
  HANDLE handle_;
};

bool LockExists() {
  HANDLE lock = OpenMutexA(SYNCHRONIZE, FALSE, "Bex Lock");
  if (lock) CloseHandle(lock);
  return lock != nullptr;
}

class Settings : public ::testing::Test {
 protected:
  // The viewer shows nothing, or the first of the pictures a.bmp and b.bmp
  // of the folder "pictures" beside it.
  explicit Settings(bool showPictures = false, const IniFile& settings = IniFile())
      : folder_(EmptyProgramFolder()), viewer_(StartViewer(folder_, showPictures, settings)) {}

  // Scratch folders are named by process id, which a later run may have
  // again: the time keeps the files of an earlier run out of this one.
  static std::string EmptyProgramFolder() {
    return NewScratchFolder("settings-" + TestLabel() + "-" + std::to_string(GetTickCount()));
  }

  static Viewer StartViewer(const std::string& folder, bool showPictures, const IniFile& settings) {
    ViewerOptions options;
    options.settings = settings;
    if (!showPictures) return Viewer::Start(folder, "", options);
    const std::string pictures = folder + "\\pictures";
    CreateDirectoryA(pictures.c_str(), nullptr);
    WriteSolidBmp(pictures + "\\a.bmp", 40, 30, Rgb{0, 0, 255});
    WriteSolidBmp(pictures + "\\b.bmp", 40, 30, Rgb{0, 255, 0});
    Viewer viewer = Viewer::Start(folder, "\"" + pictures + "\\a.bmp\"", options);
    viewer.WaitForTitle("a.bmp [100%]");
    return viewer;
  }

  // A new folder beside the program.
  std::string Folder(const std::string& name) const {
    const std::string folder = folder_ + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
  }

  std::string SettingsBytes() const { return ReadFileBytes(viewer_.SettingsPath()).value_or(""); }
  std::string DestinationsPath() const { return viewer_.Folder() + "\\M_DIR.DAT"; }
  std::string Plugins() const { return Viewer::PluginFolderOf(viewer_.Folder()); }

  // On the folder page of the settings dialog: a new folder entry with the
  // shortcut X and the clipboard's text pasted as its folder, confirmed.
  HWND AddFolderPastedFromTheClipboard(HWND dialog) const {
    ShowFolderPage(dialog);
    Click(Button(dialog, kAddFolder));
    HWND entry = WaitForActiveDialog(kFolderEntryTitle);
    Click(NthControl(entry, "Edit", 0));
    SendText("x");
    Click(NthControl(entry, "Edit", 1));
    SendKeyChord('V', kCtrl);
    Click(Button(entry, "&OK"));
    return entry;
  }

  // W on the main window; the dialog once it shows.
  HWND OpenSettings() const {
    viewer_.PressKey('W');
    return WaitForActiveDialog(kSettingsTitle);
  }

  // A dialog of the viewer once it has the foreground: a click that comes
  // before would first have to activate it.
  HWND WaitForActiveDialog(const std::string& title) const {
    HWND dialog = viewer_.WaitForDialog(title);
    if (!WaitUntil([&] { return GetForegroundWindow() == dialog; })) {
      throw DriverError("the dialog \"" + title + "\" does not come to the foreground");
    }
    return dialog;
  }

  // The lines of "bex.ini", once they are the expected ones: the dialog's
  // keys are written one by one after it has closed.
  void ExpectSettingsLines(const std::vector<std::string>& expected) const {
    std::vector<std::string> lines;
    WaitUntil([&] { return (lines = NonEmptyLines(SettingsBytes())) == expected; });
    EXPECT_EQ(lines, expected);
  }

  // The keys of an OK that changed nothing on the first page but, perhaps,
  // the plug-in folder, which is then stored as spidir.
  void ExpectUnchangedSettingsWith(const std::string& spidir) const {
    ExpectSettingsLines({
        "[設定]",
        "SPIDIR=" + spidir,
        "追加起動禁止=0",
        "最前面=0",
        "窓位置保存=1",
        "窓と画像の関係=0",
        "Sort種類=1",
        "Sort向き=1",
    });
  }

  // "M_DIR.DAT" once it holds expected: it is replaced after the dialog has closed.
  void ExpectDestinations(const std::string& expected) const {
    WaitUntil([&] { return ReadFileBytes(DestinationsPath()) == expected; });
    EXPECT_EQ(ReadFileBytes(DestinationsPath()), expected);
  }

  // Everything on the first page set against its starting state.
  void ChangeFirstPage(HWND dialog) const {
    for (const char* caption :
         {kTuikaBox, kTopBox, kSavewinBox, kFitNone, kByExplorerOrder, kDescending}) {
      Click(Button(dialog, caption));
    }
    for (const auto& [caption, checked] :
         std::vector<std::pair<const char*, bool>>{{kTuikaBox, true},
                                                   {kTopBox, true},
                                                   {kSavewinBox, false},
                                                   {kFitNone, true},
                                                   {kByExplorerOrder, true},
                                                   {kDescending, true}}) {
      WaitUntil([&] { return Checked(Button(dialog, caption)) == checked; });
      EXPECT_EQ(Checked(Button(dialog, caption)), checked) << caption;
    }
    ReplacePluginFolder(dialog, "C:\\Plugins2");
  }

  void ReplacePluginFolder(HWND dialog, const std::string& text) const {
    Click(NthControl(dialog, "Edit", 0));
    SendKeyChord(VK_END);
    SendKeyChord(VK_HOME, kShift);
    SendText(text);
  }

  // Ctrl+Tab; the page once all its buttons show. A click is sent to the
  // window that is under the pointer when it is sent.
  void ShowFolderPage(HWND dialog) const {
    SendKeyChord(VK_TAB, kCtrl);
    const auto shown = [&] {
      for (const char* caption : kEditorButtons) {
        if (!IsWindowVisible(Button(dialog, caption))) return false;
      }
      return true;
    };
    if (!WaitUntil(shown)) throw DriverError("the folder page does not show");
  }

  // Opens the folder-entry dialog with a button of the folder page, types
  // into its boxes and confirms it.
  void AddEntry(HWND dialog, const char* button, const char* title, const std::string& shortcut,
                const std::string& text) const {
    Click(Button(dialog, button));
    HWND entry = WaitForActiveDialog(title);
    Click(NthControl(entry, "Edit", 0));
    SendText(shortcut);
    Click(NthControl(entry, "Edit", 1));
    SendText(text);
    Click(Button(entry, "&OK"));
    WaitForClosed(entry);
  }

  struct EntryOverSettings {
    HWND settings;
    HWND entry;
  };

  // The folder-entry dialog of the add button, over the folder page.
  EntryOverSettings OpenAddFolderEntry() const {
    HWND dialog = OpenSettings();
    ShowFolderPage(dialog);
    Click(Button(dialog, kAddFolder));
    return {dialog, WaitForActiveDialog(kFolderEntryTitle)};
  }

  // Types the folder, confirms the entry, expects the page's one line and
  // cancels the settings dialog.
  void ConfirmFolderAndExpectLine(const EntryOverSettings& dialogs, const std::string& folder,
                                  const std::string& line) const {
    Click(NthControl(dialogs.entry, "Edit", 1));
    SendText(folder);
    Click(Button(dialogs.entry, "&OK"));
    WaitForClosed(dialogs.entry);
    ExpectLines(NthControl(dialogs.settings, "ListBox", 0), {line});
    SendKeyChord(VK_ESCAPE);
    WaitForClosed(dialogs.settings);
  }

  const std::string folder_;
  Viewer viewer_;
};

class SettingsWithPictures : public Settings {
 protected:
  SettingsWithPictures() : Settings(true) {}
};

TEST_F(Settings, OpensOverTheMainWindowOnTopWithTheCurrentSettings) {
  HWND dialog = OpenSettings();
  EXPECT_EQ(ClientSizeOf(dialog).cx, 383);
  EXPECT_EQ(ClientSizeOf(dialog).cy, 296);
  EXPECT_TRUE(IsTopmost(dialog));
  const POINT centre = Centre(WindowRect(dialog));
  const POINT mainCentre = Centre(viewer_.OuterRect());
  EXPECT_NEAR(centre.x, mainCentre.x, 1);
  EXPECT_NEAR(centre.y, mainCentre.y, 1);

  EXPECT_FALSE(Checked(Button(dialog, kTuikaBox)));
  EXPECT_TRUE(IsWindowEnabled(Button(dialog, kTuikaBox)));
  EXPECT_FALSE(Checked(Button(dialog, kTopBox)));
  EXPECT_TRUE(Checked(Button(dialog, kSavewinBox)));
  EXPECT_TRUE(Checked(Button(dialog, kWinFromPic)));
  EXPECT_TRUE(Checked(Button(dialog, kByName)));
  EXPECT_TRUE(Checked(Button(dialog, kAscending)));
  EXPECT_EQ(ControlText(NthControl(dialog, "Edit", 0)), Plugins());
  EXPECT_FALSE(IsWindowVisible(NthControl(dialog, "ListBox", 0)));
  SendKeyChord(VK_ESCAPE);
  WaitForClosed(dialog);
}

// Places in the settings dialog as designed at 96 dpi: the buttons and the
// page control in the client area, and controls of the first page counted
// from its first check box.
struct DesignedPlace {
  const char* caption;  // of the button; null for the page control
  RECT rect;            // left, top, width, height
};
constexpr RECT kDesignedClient{0, 0, 383, 296};
constexpr DesignedPlace kClientPlaces[] = {
    {"&OK", {216, 271, 80, 22}},
    {"&Cancel", {300, 271, 80, 22}},
    {nullptr, {2, 2, 379, 265}},
};
constexpr DesignedPlace kFirstPagePlaces[] = {
    {kTopBox, {0, 15, 170, 15}},
    {kSavewinBox, {0, 30, 170, 15}},
    {kWinFromPic, {190, 14, 156, 17}},
    {kByName, {14, 110, 150, 16}},
    {kByExplorerOrder, {14, 158, 150, 16}},
    {kDescending, {190, 126, 140, 16}},
    {kPicker, {322, 207, 30, 22}},
};

// A control's left, top, width and height, counted from a point of the screen.
RECT PlaceFrom(HWND control, POINT origin) {
  const RECT r = WindowRect(control);
  return {r.left - origin.x, r.top - origin.y, r.right - r.left, r.bottom - r.top};
}

::testing::AssertionResult ScaledPlace(const RECT& actual, const RECT& designed, double scale) {
  const LONG expected[] = {designed.left, designed.top, designed.right, designed.bottom};
  const LONG measured[] = {actual.left, actual.top, actual.right, actual.bottom};
  for (int i = 0; i < 4; ++i) {
    if (std::abs(measured[i] - expected[i] * scale) > 1) {
      return ::testing::AssertionFailure()
             << "at " << actual.left << "," << actual.top << " size " << actual.right << " x "
             << actual.bottom << ", designed " << designed.left << "," << designed.top << " size "
             << designed.right << " x " << designed.bottom << " times " << scale;
    }
  }
  return ::testing::AssertionSuccess();
}

// The settings dialog's client area and its controls at scale times their
// designed size and places (to the pixel, as the scaled lengths round).
void ExpectSettingsLayoutScaled(HWND dialog, double scale) {
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_TRUE(ScaledPlace({0, 0, client.right, client.bottom}, kDesignedClient, scale))
      << "client area";
  POINT clientOrigin{0, 0};
  ClientToScreen(dialog, &clientOrigin);
  for (const DesignedPlace& place : kClientPlaces) {
    HWND control =
        place.caption ? Button(dialog, place.caption) : NthControl(dialog, "SysTabControl32", 0);
    EXPECT_TRUE(ScaledPlace(PlaceFrom(control, clientOrigin), place.rect, scale))
        << (place.caption ? place.caption : "page control");
  }
  const RECT first = WindowRect(Button(dialog, kTuikaBox));
  for (const DesignedPlace& place : kFirstPagePlaces) {
    EXPECT_TRUE(ScaledPlace(PlaceFrom(Button(dialog, place.caption), {first.left, first.top}),
                            place.rect, scale))
        << place.caption;
  }
}

TEST_F(Settings, LaysItselfOutAgainOnAMonitorOfAnotherDpi) {
  HWND dialog = OpenSettings();
  ExpectSettingsLayoutScaled(dialog, 1.0);
  auto moveTo = [&](int dpi) {
    const RECT r = WindowRect(dialog);
    const RECT suggested{r.left + 10, r.top + 20, r.left + 10 + (r.right - r.left) * dpi / 96,
                         r.top + 20 + (r.bottom - r.top) * dpi / 96};
    viewer_.PostDpiChange(dialog, dpi, suggested);
    EXPECT_TRUE(WaitUntil([&] { return WindowRect(dialog).left == suggested.left; }))
        << "the dialog takes the suggested place";
  };
  moveTo(144);
  ExpectSettingsLayoutScaled(dialog, 1.5);
  moveTo(96);
  ExpectSettingsLayoutScaled(dialog, 1.0);
  EXPECT_EQ(ClientSizeOf(dialog).cx, 383);
  EXPECT_EQ(ClientSizeOf(dialog).cy, 296);
  SendKeyChord(VK_ESCAPE);
  WaitForClosed(dialog);
}

// The viewer starts on a display of 144 dpi (150 %).
class DisplayAt144Dpi {
 protected:
  DisplayDpiForNewProcesses dpi_{144};
};

class SettingsAt144Dpi : public DisplayAt144Dpi, public Settings {};

TEST_F(SettingsAt144Dpi, ClientAreaAndControlsAreOneAndAHalfTimesTheDesign) {
  HWND dialog = OpenSettings();
  ExpectSettingsLayoutScaled(dialog, 1.5);
  SendKeyChord(VK_ESCAPE);
  WaitForClosed(dialog);
}

// Stored settings and the choices the dialog opens with.
struct StoredSettings {
  int sortKind, sortDirection, fitMode;
  const char* keyChoice;
  const char* directionChoice;
  const char* fitChoice;
};
constexpr StoredSettings kStoredSettings[] = {
    {3, 0, 1, kByName, kDescending, "画像を窓に合わせる"},
    {6, 1, 2, "&D: 日付順", kAscending, kFitNone},
    {0, 7, 0, kBySize, kAscending, kWinFromPic},
    {8, 0, 5, kByExplorerOrder, kDescending, kFitNone},
    {12, 1, 0, kBySize, kAscending, kWinFromPic},
    {24, 1, 0, kBySize, kAscending, kWinFromPic},
    {16, 1, 0, kBySize, kAscending, kWinFromPic},
};

class SettingsStored : public Settings, public ::testing::WithParamInterface<StoredSettings> {
 protected:
  SettingsStored()
      : Settings(false, IniFile()
                            .Set("設定", "Sort種類", GetParam().sortKind)
                            .Set("設定", "Sort向き", GetParam().sortDirection)
                            .Set("設定", "窓と画像の関係", GetParam().fitMode)) {}
};

TEST_P(SettingsStored, OpenWithTheMatchingChoices) {
  HWND dialog = OpenSettings();
  EXPECT_TRUE(Checked(Button(dialog, GetParam().keyChoice)));
  EXPECT_TRUE(Checked(Button(dialog, GetParam().directionChoice)));
  EXPECT_TRUE(Checked(Button(dialog, GetParam().fitChoice)));
  SendKeyChord(VK_ESCAPE);
  WaitForClosed(dialog);
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsStored, ::testing::ValuesIn(kStoredSettings));

// A plug-in folder of a long name, stored by its short one.
class SettingsWithAShortPluginFolderName : public Settings {
 protected:
  SettingsWithAShortPluginFolderName()
      : Settings(false, IniFile().Set("設定", "SPIDIR", ShortName(LongFolder()))) {}
  static const std::string& LongFolder() {
    static const std::string folder = NewScratchFolder("a plug-in folder of a long name");
    return folder;
  }
  static std::string ShortName(const std::string& path) {
    char shortPath[MAX_PATH];
    const DWORD n = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return std::string(shortPath, n < MAX_PATH ? n : 0);
  }
};

// The dialog shows the folder's long name; an OK with the box as it was
// keeps the folder as stored.
TEST_F(SettingsWithAShortPluginFolderName, ShowsTheLongNameAndKeepsTheStoredOne) {
  ASSERT_NE(ShortName(LongFolder()), LongFolder());
  HWND dialog = OpenSettings();
  EXPECT_EQ(ControlText(NthControl(dialog, "Edit", 0)), LongFolder());
  SendKeyChord(VK_RETURN);
  WaitForClosed(dialog);
  ExpectUnchangedSettingsWith(ShortName(LongFolder()));
}

TEST_F(Settings, IsKeptRightOfAndBelowTheScreenOriginNearTheCorner) {
  SetWindowPos(viewer_.Window(), nullptr, -150, -120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  HWND dialog = OpenSettings();
  EXPECT_EQ(WindowRect(dialog).left, 0);
  EXPECT_EQ(WindowRect(dialog).top, 0);
  SendKeyChord(VK_ESCAPE);
  WaitForClosed(dialog);
}

TEST_F(Settings, OkAppliesTheFirstPageAndWritesTheSevenKeysInOrder) {
  HWND dialog = OpenSettings();
  ChangeFirstPage(dialog);
  Click(Button(dialog, "&OK"));
  WaitForClosed(dialog);

  EXPECT_TRUE(WaitUntil([&] { return IsTopmost(viewer_.Window()); }));
  ExpectSettingsLines({
      "[設定]",
      "SPIDIR=C:\\Plugins2",
      "追加起動禁止=1",
      "最前面=1",
      "窓位置保存=0",
      "窓と画像の関係=2",
      "Sort種類=8",
      "Sort向き=0",
  });
  EXPECT_TRUE(LockExists());
  // The first OK creates the destination file, though its page never showed.
  ExpectDestinations("");

  dialog = OpenSettings();
  EXPECT_TRUE(Checked(Button(dialog, kTuikaBox)));
  EXPECT_TRUE(Checked(Button(dialog, kTopBox)));
  EXPECT_FALSE(Checked(Button(dialog, kSavewinBox)));
  EXPECT_TRUE(Checked(Button(dialog, kFitNone)));
  EXPECT_TRUE(Checked(Button(dialog, kByExplorerOrder)));
  EXPECT_TRUE(Checked(Button(dialog, kDescending)));
  EXPECT_EQ(ControlText(NthControl(dialog, "Edit", 0)), "C:\\Plugins2");

  // Unticking topmost again returns the window to normal stacking.
  Click(Button(dialog, kTopBox));
  Click(Button(dialog, "&OK"));
  WaitForClosed(dialog);
  EXPECT_TRUE(WaitUntil([&] { return !IsTopmost(viewer_.Window()); }));

  // With the save-position option off, closing leaves the bounds unwritten.
  ASSERT_TRUE(viewer_.Close());
  EXPECT_EQ(SettingsBytes().find("[窓位置]"), std::string::npos) << SettingsBytes();
  EXPECT_NE(SettingsBytes().find("[その他]"), std::string::npos) << SettingsBytes();
}

TEST_F(Settings, EnterInThePluginFolderBoxConfirms) {
  HWND dialog = OpenSettings();
  ReplacePluginFolder(dialog, "D:\\Spi");
  SendKeyChord(VK_RETURN);
  WaitForClosed(dialog);
  // The keys hold the unchanged settings, the plug-in folder the typed one.
  ExpectUnchangedSettingsWith("D:\\Spi");
}

// A plug-in folder the settings file cannot name, neither exactly nor by a
// short name, is refused, and the dialog stays open for another.
TEST_F(Settings, APluginFolderTheSettingsFileCannotNameIsRefused) {
  const std::string before = SettingsBytes();
  HWND dialog = OpenSettings();
  Click(NthControl(dialog, "Edit", 0));
  SendKeyChord(VK_END);
  SendKeyChord(VK_HOME, kShift);
  SendWideText(L"C:\\\ud55c\uae00");  // C:\한글
  SendKeyChord(VK_RETURN);
  const MessageBoxInfo box = viewer_.WaitForMessageBox("登録エラー");
  EXPECT_NE(box.text.find("(設定ファイル bex.ini は他のコピーも読むため"), std::string::npos)
      << box.text;
  viewer_.Answer(box, IDOK);
  EXPECT_TRUE(IsWindow(dialog));
  Click(Button(dialog, "&Cancel"));
  WaitForClosed(dialog);
  EXPECT_EQ(SettingsBytes(), before);
}

// A file written before the filing settings keeps its bytes through an OK
// that changes nothing; ticked, they are written after the other keys.
TEST_F(Settings, TheFilingBoxesStartOffAndAreWrittenLastOnlyOnceTicked) {
  const std::vector<std::string> today = {
      "[設定]",       "SPIDIR=" + Plugins(), "追加起動禁止=0", "最前面=0",
      "窓位置保存=1", "窓と画像の関係=0",    "Sort種類=1",     "Sort向き=1",
  };
  HWND dialog = OpenSettings();
  EXPECT_FALSE(Checked(Button(dialog, kNoDialogBox)));
  EXPECT_FALSE(Checked(Button(dialog, kCompanionsBox)));
  Click(Button(dialog, "&OK"));
  WaitForClosed(dialog);
  ExpectSettingsLines(today);
  const std::string before = SettingsBytes();

  dialog = OpenSettings();
  Click(Button(dialog, "&OK"));
  WaitForClosed(dialog);
  // The dialog opens again only once the first one's command has ended.
  dialog = OpenSettings();
  EXPECT_EQ(SettingsBytes(), before);
  Click(Button(dialog, kNoDialogBox));
  Click(Button(dialog, kCompanionsBox));
  Click(Button(dialog, "&OK"));
  WaitForClosed(dialog);
  std::vector<std::string> ticked = today;
  ticked.insert(ticked.end(), {"移動ダイアログ省略=1", "関連ファイル連動=1"});
  ExpectSettingsLines(ticked);

  dialog = OpenSettings();
  EXPECT_TRUE(Checked(Button(dialog, kNoDialogBox)));
  EXPECT_TRUE(Checked(Button(dialog, kCompanionsBox)));
  SendKeyChord(VK_ESCAPE);
  WaitForClosed(dialog);
}

// The three ways out without confirming.
const std::vector<std::pair<const char*, std::function<void(HWND)>>> kCancelWays = {
    {"CancelButton", [](HWND dialog) { Click(Button(dialog, "&Cancel")); }},
    {"Escape", [](HWND) { SendKeyChord(VK_ESCAPE); }},
    {"CloseBox", ClickCloseBox},
};

class SettingsCancel : public Settings, public ::testing::WithParamInterface<size_t> {};

TEST_P(SettingsCancel, AfterChangingEverythingChangesAndWritesNothing) {
  const std::string before = SettingsBytes();
  HWND dialog = OpenSettings();
  ChangeFirstPage(dialog);
  ShowFolderPage(dialog);
  Click(Button(dialog, kAddSeparator));
  ExpectLines(NthControl(dialog, "ListBox", 0), {"-"});
  kCancelWays[GetParam()].second(dialog);
  WaitForClosed(dialog);

  // The dialog opens again only once the first one's command has ended.
  dialog = OpenSettings();
  EXPECT_EQ(SettingsBytes(), before);
  EXPECT_FALSE(FileExists(DestinationsPath()));
  EXPECT_FALSE(IsTopmost(viewer_.Window()));
  EXPECT_FALSE(LockExists());
  EXPECT_FALSE(Checked(Button(dialog, kTopBox)));
  EXPECT_TRUE(Checked(Button(dialog, kWinFromPic)));
  EXPECT_TRUE(Checked(Button(dialog, kByName)));
  EXPECT_EQ(ControlText(NthControl(dialog, "Edit", 0)), Plugins());
  SendKeyChord(VK_ESCAPE);
  WaitForClosed(dialog);
}

INSTANTIATE_TEST_SUITE_P(Ways, SettingsCancel, ::testing::Range<size_t>(0, kCancelWays.size()),
                         [](const ::testing::TestParamInfo<size_t>& param) {
                           return std::string(kCancelWays[param.param].first);
                         });

TEST_F(Settings, TheLockBoxIsDisabledWhileAnotherViewerHoldsTheLock) {
  {
    LockHolder other;
    HWND dialog = OpenSettings();
    EXPECT_FALSE(IsWindowEnabled(Button(dialog, kTuikaBox)));
    EXPECT_TRUE(IsWindowEnabled(Button(dialog, kTopBox)));
    SendKeyChord(VK_ESCAPE);
    WaitForClosed(dialog);
  }
  HWND dialog = OpenSettings();
  EXPECT_TRUE(IsWindowEnabled(Button(dialog, kTuikaBox)));
  SendKeyChord(VK_ESCAPE);
  WaitForClosed(dialog);
}

TEST_F(Settings, BuildsATreeWithAGroupAndAFolderAndSavesIt) {
  HWND dialog = OpenSettings();
  ShowFolderPage(dialog);
  HWND list = NthControl(dialog, "ListBox", 0);
  EXPECT_TRUE(ListLines(list).empty());
  EXPECT_EQ(EnabledButtons(dialog), kOnlyAdding);

  AddEntry(dialog, kAddGroup, kGroupEntryTitle, "w", "Work");
  ExpectLines(list, {"W : [Work]"});
  ExpectSelection(list, 0);
  //                    ADD CHG GR SP CT PS DEL UP DN OYA KO
  ExpectEnabled(dialog, "11111010001");

  Click(Button(dialog, kEnter));
  ExpectLines(list, {});
  ExpectEnabled(dialog, "10110000010");
  AddEntry(dialog, kAddFolder, kFolderEntryTitle, "1", "C:\\Dest");
  ExpectLines(list, {"1 : C:\\Dest"});

  // Left in the list goes back to the group, which stays selected.
  SendKeyChord(VK_LEFT);
  ExpectLines(list, {"W : [Work]"});
  ExpectSelection(list, 0);
  ExpectEnabled(dialog, "11111010001");
  // A separator goes before the selection; then a folder without shortcut
  // before the group.
  Click(Button(dialog, kAddSeparator));
  ExpectLines(list, {"-", "W : [Work]"});
  SendKeyChord(VK_DOWN);
  ExpectSelection(list, 1);
  AddEntry(dialog, kAddFolder, kFolderEntryTitle, "", "D:\\Keep");
  ExpectLines(list, {"-", "  : D:\\Keep", "W : [Work]"});
  ExpectSelection(list, 1);

  Click(Button(dialog, "&OK"));
  WaitForClosed(dialog);
  WaitUntil([&] { return FileExists(DestinationsPath()); });
  EXPECT_EQ(ReadFileBytes(DestinationsPath()),
            std::string("-\r\n  : D:\\Keep\r\nW : [Work]\r\n\t1 : C:\\Dest\r\n"));

  // The next opening reads the tree back from the file.
  dialog = OpenSettings();
  ShowFolderPage(dialog);
  ExpectLines(NthControl(dialog, "ListBox", 0), {"-", "  : D:\\Keep", "W : [Work]"});
  SendKeyChord(VK_ESCAPE);
  WaitForClosed(dialog);
}

// Another program holds the file open while the dialog reads it and lets it
// go before OK: the tree the dialog edited was not read from the file, which
// therefore stays as it was; the message says why, over the dialog.
TEST_F(Settings, ADestinationFileThatDidNotReadIsKeptAfterOk) {
  const std::string tree = "A : C:\\Keep\r\n-\r\nW : [Work]\r\n\t1 : C:\\Work\\In\r\n";
  WriteFileBytes(DestinationsPath(), tree);
  auto holder = HoldOpen(DestinationsPath());
  HWND dialog = OpenSettings();
  holder.reset();
  ShowFolderPage(dialog);
  Click(Button(dialog, kAddSeparator));
  ExpectLines(NthControl(dialog, "ListBox", 0), {"-"});
  Click(Button(dialog, "&OK"));
  const MessageBoxInfo box = viewer_.WaitForMessageBox("保存エラー");
  EXPECT_EQ(GetWindow(box.window, GW_OWNER), dialog);
  EXPECT_NE(box.text.find("移動先フォルダーが保存できません"), std::string::npos) << box.text;
  EXPECT_NE(box.text.find("M_DIR.DAT\nを読み込めないため、上書きしませんでした。"),
            std::string::npos)
      << box.text;
  viewer_.Answer(box, IDOK);
  WaitForClosed(dialog);
  EXPECT_EQ(ReadFileBytes(DestinationsPath()), tree);
}

// Another viewer saves its tree while this one's dialog is open: an OK,
// with edits or without, does not write over the other's tree, but says why.
TEST_F(Settings, OkNeverWritesOverATreeSavedMeanwhile) {
  WriteFileBytes(DestinationsPath(), "A : C:\\Keep\r\n");
  for (const bool edited : {false, true}) {
    const std::string other = edited ? "Z : C:\\Z\r\n" : "A : C:\\Keep\r\nY : C:\\Y\r\n";
    HWND dialog = OpenSettings();
    if (edited) {
      ShowFolderPage(dialog);
      Click(Button(dialog, kAddSeparator));
    }
    WriteFileBytes(DestinationsPath(), other);
    Click(Button(dialog, "&OK"));
    const MessageBoxInfo box = viewer_.WaitForMessageBox("保存エラー");
    EXPECT_EQ(box.text, "移動先フォルダーが保存できません\n" + DestinationsPath() +
                            "\nは読み込んだ後にほかで変更されたため、上書きしませんでした。");
    viewer_.Answer(box, IDOK);
    WaitForClosed(dialog);
    EXPECT_EQ(ReadFileBytes(DestinationsPath()), other) << edited;
  }
}

// Far larger than any tree typed by hand, and still read whole and written
// back as it was.
TEST_F(Settings, ADestinationFileOfManyMegabytesIsReadWholeAndKept) {
  std::string tree;
  for (int i = 0; tree.size() <= (17u << 20); ++i) {
    tree += "A : C:\\Pictures\\" + std::to_string(1000000 + i) + "\r\n";
  }
  WriteFileBytes(DestinationsPath(), tree);
  HWND dialog = OpenSettings();
  // The tree is saved before the dialog goes.
  SendKeyChord(VK_RETURN);
  WaitForClosed(dialog);
  EXPECT_TRUE(ReadFileBytes(DestinationsPath()) == tree);
  EXPECT_FALSE(viewer_.FindMessageBox());
}

TEST_F(SettingsWithPictures, TheMoveMenuOffersTheTreeBuiltHere) {
  const std::string dest = Folder("dest");
  HWND dialog = OpenSettings();
  ShowFolderPage(dialog);
  HWND list = NthControl(dialog, "ListBox", 0);
  AddEntry(dialog, kAddGroup, kGroupEntryTitle, "w", "Work");
  ExpectLines(list, {"W : [Work]"});
  Click(Button(dialog, kEnter));
  ExpectLines(list, {});
  AddEntry(dialog, kAddFolder, kFolderEntryTitle, "1", dest);
  ExpectLines(list, {"1 : " + dest});
  Click(Button(dialog, "&OK"));
  WaitForClosed(dialog);

  // J, then W for the group and 1 for the folder in it open the save dialog;
  // the picture moves into the folder.
  viewer_.PressKey('J');
  viewer_.WaitForPopupMenu();
  viewer_.PressKey('W');
  viewer_.PressKey('1');
  HWND save = viewer_.WaitForDialog("移動先パスの指定");
  // The dialog is ready once it proposes the shown file's name.
  HWND name = GetDlgItem(save, 1148);
  WaitUntil([&] { return ControlText(name) == "a.bmp"; });
  viewer_.ChooseFile(save, dest + "\\a.bmp");
  EXPECT_EQ(viewer_.WaitForTitle("b.bmp [100%]"), "b.bmp [100%]");
  EXPECT_TRUE(FileExists(dest + "\\a.bmp"));
}

TEST_F(Settings, DoubleClickEntersAGroupAndTheListKeysWalkAndDelete) {
  WriteFileBytes(DestinationsPath(), "A : C:\\A\r\n-\r\nW : [Work]\r\n\tB : C:\\B\r\n");
  HWND dialog = OpenSettings();
  ShowFolderPage(dialog);
  HWND list = NthControl(dialog, "ListBox", 0);
  ExpectLines(list, {"A : C:\\A", "-", "W : [Work]"});

  Clicks(ListLinePoint(list, 1), 2);  // a double click on the separator
  ExpectSelection(list, 1);
  Clicks(ListLinePoint(list, 2), 2);  // on the group
  ExpectLines(list, {"B : C:\\B"});

  SendKeyChord(VK_BACK);
  ExpectLines(list, {"A : C:\\A", "-", "W : [Work]"});
  ExpectSelection(list, 2);
  SendKeyChord(VK_RIGHT);
  ExpectLines(list, {"B : C:\\B"});
  SendKeyChord(VK_LEFT);
  SendKeyChord(VK_DELETE);
  ExpectLines(list, {"A : C:\\A", "-"});
  ExpectSelection(list, 1);

  SendKeyChord(VK_RETURN);  // Enter in the list confirms the dialog
  WaitForClosed(dialog);
  ExpectDestinations("A : C:\\A\r\n-\r\n");
}

TEST_F(Settings, CutAndPasteMovesAGroupWithItsChildrenToAnotherLevel) {
  WriteFileBytes(DestinationsPath(), "G : [Inner]\r\n\t1 : C:\\One\r\nW : [Work]\r\n");
  HWND dialog = OpenSettings();
  ShowFolderPage(dialog);
  HWND list = NthControl(dialog, "ListBox", 0);
  ExpectLines(list, {"G : [Inner]", "W : [Work]"});
  Click(Button(dialog, kCut));
  ExpectLines(list, {"W : [Work]"});
  //                    ADD CHG GR SP CT PS DEL UP DN OYA KO
  ExpectEnabled(dialog, "11111110001");
  Click(Button(dialog, kEnter));
  ExpectLines(list, {});
  Click(Button(dialog, kPaste));
  ExpectLines(list, {"G : [Inner]"});
  ExpectEnabled(dialog, "11111010011");
  Click(Button(dialog, "&OK"));
  WaitForClosed(dialog);
  ExpectDestinations("W : [Work]\r\n\tG : [Inner]\r\n\t\t1 : C:\\One\r\n");
}

TEST_F(Settings, ChangeOpensTheEntryWithItsShortcutAndTextAndKeepsTheChildren) {
  WriteFileBytes(DestinationsPath(), "W : [Work]\r\n\t1 : C:\\One\r\n");
  HWND dialog = OpenSettings();
  ShowFolderPage(dialog);
  Click(Button(dialog, kChange));
  HWND entry = WaitForActiveDialog(kFolderEntryTitle);
  HWND shortcut = NthControl(entry, "Edit", 0);
  HWND folder = NthControl(entry, "Edit", 1);
  EXPECT_EQ(ControlText(shortcut), "W");
  EXPECT_EQ(ControlText(folder), "[Work]");
  Click(folder);
  SendKeyChord(VK_END);
  SendKeyChord(VK_HOME, kShift);
  SendText("[Jobs]");
  SendKeyChord(VK_RETURN);  // Enter in a box confirms the entry
  WaitForClosed(entry);
  ExpectLines(NthControl(dialog, "ListBox", 0), {"W : [Jobs]"});
  Click(Button(dialog, "&OK"));
  WaitForClosed(dialog);
  ExpectDestinations("W : [Jobs]\r\n\t1 : C:\\One\r\n");
}

TEST_F(Settings, FolderEntryDialogOpensWithThePickerFocusedOverTheSettingsDialog) {
  HWND dialog = OpenSettings();
  ShowFolderPage(dialog);
  Click(Button(dialog, kAddFolder));
  HWND entry = WaitForActiveDialog(kFolderEntryTitle);
  EXPECT_EQ(ClientSizeOf(entry).cx, 336);
  EXPECT_EQ(ClientSizeOf(entry).cy, 76);
  const POINT centre = Centre(WindowRect(entry));
  const POINT settingsCentre = Centre(WindowRect(dialog));
  EXPECT_NEAR(centre.x, settingsCentre.x, 1);
  EXPECT_NEAR(centre.y, settingsCentre.y, 1);
  HWND picker = Button(entry, kPicker);
  EXPECT_TRUE(IsWindowVisible(picker));
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(entry) == picker; }));
  SendKeyChord(VK_ESCAPE);
  WaitForClosed(entry);

  Click(Button(dialog, kAddGroup));
  entry = WaitForActiveDialog(kGroupEntryTitle);
  EXPECT_FALSE(IsWindowVisible(Button(entry, kPicker)));
  EXPECT_EQ(WindowText(Controls(entry, "Static", nullptr).back()), "ｸﾞﾙｰﾌﾟ指定");
  SendKeyChord(VK_ESCAPE);
  WaitForClosed(entry);
  EXPECT_TRUE(ListLines(NthControl(dialog, "ListBox", 0)).empty());
  SendKeyChord(VK_ESCAPE);
  WaitForClosed(dialog);
}

// The folder browser that a "･･･" button opens: a dialog of the viewer owned
// by the given one, asking "フォルダを選択"; cancelled, the box keeps its text.
void CancelFolderBrowser(const Viewer& viewer, HWND owner, HWND box) {
  const std::string before = ControlText(box);
  Click(Button(owner, kPicker));
  HWND browser = nullptr;
  WaitUntil([&] {
    for (HWND window : TopLevelWindows("#32770", nullptr, viewer.ProcessId())) {
      if (GetWindow(window, GW_OWNER) == owner) browser = window;
    }
    return browser != nullptr;
  });
  ASSERT_NE(browser, nullptr) << "no folder browser over \"" << WindowText(owner) << "\"";
  const std::string title = "フォルダを選択";
  EXPECT_FALSE(Controls(browser, "Static", &title).empty());
  viewer.Answer(browser, IDCANCEL);
  EXPECT_EQ(ControlText(box), before);
}

TEST_F(Settings, ThePickersOpenTheFolderBrowserOverTheirDialog) {
  HWND dialog = OpenSettings();
  CancelFolderBrowser(viewer_, dialog, NthControl(dialog, "Edit", 0));
  ShowFolderPage(dialog);
  Click(Button(dialog, kAddFolder));
  HWND entry = WaitForActiveDialog(kFolderEntryTitle);
  HWND folder = NthControl(entry, "Edit", 1);
  Click(folder);
  SendText("C:\\Typed");
  WaitUntil([&] { return ControlText(folder) == "C:\\Typed"; });
  CancelFolderBrowser(viewer_, entry, folder);
  SendKeyChord(VK_ESCAPE);
  WaitForClosed(entry);
  SendKeyChord(VK_ESCAPE);
  WaitForClosed(dialog);
}

TEST_F(Settings, TheShortcutBoxTakesOneDigitOrCapitalOrShowsNone) {
  const EntryOverSettings dialogs = OpenAddFolderEntry();
  HWND entry = dialogs.entry;
  HWND shortcut = NthControl(entry, "Edit", 0);
  HWND folder = NthControl(entry, "Edit", 1);
  Click(shortcut);
  const std::vector<std::pair<WORD, std::string>> steps = {
      {'B', "B"},        {'7', "7"}, {VK_OEM_MINUS, "なし"}, {'Q', "Q"}, {'5', "5"},
      {VK_BACK, "なし"}, {'C', "C"}, {VK_SPACE, "なし"},     {'Z', "Z"},
  };
  for (const auto& [key, shown] : steps) {
    SendKeyChord(key);
    WaitUntil([&] { return ControlText(shortcut) == shown; });
    EXPECT_EQ(ControlText(shortcut), shown) << "after key " << key;
  }
  // Delete is swallowed even before the character; Tab to the folder box
  // shows when the keys before it have been handled.
  SendKeyChord(VK_HOME);
  SendKeyChord(VK_DELETE);
  SendKeyChord(VK_TAB);
  WaitUntil([&] { return FocusOf(entry) == folder; });
  EXPECT_EQ(ControlText(shortcut), "Z");

  // "なし" is no shortcut: the label starts with a space.
  SendKeyChord(VK_TAB, kShift);
  WaitUntil([&] { return FocusOf(entry) == shortcut; });
  SendKeyChord(VK_OEM_MINUS);
  ConfirmFolderAndExpectLine(dialogs, "E:\\In", "  : E:\\In");
}

// Text on the clipboard for the viewer to paste.
void PutOnClipboard(const std::string& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
}

// Pasted with either key or set from outside, the box ends with what typing
// the text's last character would show, and "&" makes no shortcut.
TEST_F(Settings, TheShortcutBoxTakesNoOtherTextByPasteOrFromOutside) {
  const EntryOverSettings dialogs = OpenAddFolderEntry();
  HWND shortcut = NthControl(dialogs.entry, "Edit", 0);
  Click(shortcut);
  const auto expectShown = [&](const std::string& shown, const char* route) {
    WaitUntil([&] { return ControlText(shortcut) == shown; });
    EXPECT_EQ(ControlText(shortcut), shown) << route;
  };
  PutOnClipboard("q");
  SendKeyChord(VK_INSERT, kShift);
  expectShown("Q", "Shift+Insert");
  PutOnClipboard("&");
  SendKeyChord('V', kCtrl);
  expectShown("なし", "Ctrl+V");
  Ask(shortcut, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("7"));
  expectShown("7", "WM_SETTEXT 7");
  Ask(shortcut, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("&"));
  expectShown("なし", "WM_SETTEXT &");
  ConfirmFolderAndExpectLine(dialogs, "E:\\In", "  : E:\\In");
}

TEST_F(Settings, ATabPastedIntoTheFolderBoxCannotSplitTheFile) {
  PutOnClipboard("C:\\A\tB");

  const HWND dialog = OpenSettings();
  const HWND entry = AddFolderPastedFromTheClipboard(dialog);
  WaitForClosed(entry);
  SendKeyChord(VK_RETURN);
  WaitForClosed(dialog);
  WaitUntil([&] { return FileExists(DestinationsPath()); });
  EXPECT_EQ(ReadFileBytes(DestinationsPath()), std::string("X : C:\\A B\r\n"));
}

std::wstring WideControlText(HWND control) {
  wchar_t text[1024] = L"";
  DWORD_PTR length = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      kWaitMs, &length);
  return std::wstring(text, length);
}

// A folder code page 932 cannot hold would be stored in "M_DIR.DAT" as
// another folder: pasted or typed, it is refused where it is entered, and
// the message says why. The tree of code-page-932 names goes back to the
// file byte for byte.
TEST_F(Settings, AFolderCodePage932CannotHoldIsRefusedAndTheTreeStaysByteForByte) {
  const std::string tree = "A : C:\\保管\\表\r\nW : [仕事]\r\n\t1 : D:\\予定\r\n";
  WriteFileBytes(DestinationsPath(), tree);
  const std::wstring cafe = L"C:\\caf\u00e9";
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (cafe.size() + 1) * sizeof(wchar_t));
  memcpy(GlobalLock(block), cafe.c_str(), (cafe.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();

  const HWND dialog = OpenSettings();
  const HWND entry = AddFolderPastedFromTheClipboard(dialog);
  const auto expectRefused = [&] {
    const MessageBoxInfo box = viewer_.WaitForMessageBox("登録エラー");
    EXPECT_NE(box.text.find("コードページ932で表せない文字"), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("(登録フォルダーのファイル M_DIR.DAT は他のコピーも読むため"),
              std::string::npos)
        << box.text;
    viewer_.Answer(box, IDOK);
    EXPECT_TRUE(IsWindow(entry)) << "the entry stays open for another folder";
  };
  expectRefused();

  const std::wstring hangul = L"C:\\\ud55c\uae00\ud3f4\ub354";  // 한글폴더
  const HWND folderBox = NthControl(entry, "Edit", 1);
  Click(folderBox);
  SendKeyChord(VK_END);
  SendKeyChord(VK_HOME, kShift);
  SendWideText(hangul);
  WaitUntil([&] { return WideControlText(folderBox) == hangul; });
  EXPECT_EQ(WideControlText(folderBox), hangul) << "typed characters are kept as they are";
  Click(Button(entry, "&OK"));
  expectRefused();

  Click(Button(entry, "&Cancel"));
  WaitForClosed(entry);
  SendKeyChord(VK_RETURN);
  WaitForClosed(dialog);
  EXPECT_EQ(ReadFileBytes(DestinationsPath()), tree);
}

}  // namespace
}  // namespace bex::test
