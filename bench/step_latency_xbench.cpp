// How long a step to the next picture takes in the viewer and in feh, measured
// alike for both from the X side: each program is started on the first of
// twelve pictures named 01.jpg ... 12.jpg, keys reach its window through
// XTest, and a step is timed until the window's title (WM_NAME or
// _NET_WM_NAME) names the file stepped to, and until the window is first
// drawn over after the key, which is the new picture whether a program
// titles or draws first (neither draws anything else in between). Figures,
// each beside its baseline of the same run:
//  1. a step to a picture decoded ahead (2 s between keys), median of 6
//     steps: the viewer against feh;
//  2. the first step after opening, 2 s after the first picture showed,
//     median of 5 fresh starts: the viewer against feh;
//  3. a key held for 10 presses, which the X server repeats every 20 ms: the
//     time from the first press until the title names the last picture, per
//     step made, median of 3 runs: the viewer against a baseline viewer, feh
//     for reference (feh drops the presses that came while it decoded, and
//     so makes fewer steps);
//  4. the viewer's committed private memory while the key is held (peak) and
//     3 s after the last step, against the baseline, in runs of their own
//     (reading another process's memory map slows it down);
//  5. filing with two keys: J, then the accelerator of a registered folder
//     that the viewer takes without the save dialog, moving each picture
//     with its companions (01.CR2, 01.xmp, ...); the time from the
//     accelerator until the title names the next picture, median of the
//     first eleven pictures (2 s between them), against figure 1's step of
//     the viewer; the folder filed into must then hold all 33 files.
// Usage, each COMMAND a shell command that starts a program on 01.jpg:
//   step_latency_xbench --viewer COMMAND --feh COMMAND [--baseline COMMAND]
//                       [--filing COMMAND --filed FOLDER]
// The viewers' commands start them through step_viewer_winbench.exe, which
// answers each line written to it with the viewer's peak committed memory
// since the previous line and the amount now, in bytes.
#include <poll.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "child_process.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;
using xbench::Child;

constexpr auto kIdle = seconds(2);
constexpr auto kRest = seconds(3);
constexpr auto kKeyRepeat = milliseconds(20);
constexpr auto kStartLimit = seconds(60);
constexpr auto kEventLimit = seconds(30);
constexpr auto kSettle = seconds(3);
constexpr int kHeldSteps = 10;
// Long enough for the move menu to open after J; not part of the time.
constexpr auto kMenuOpens = milliseconds(500);
constexpr int kFiled = 11;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::string PictureName(int number) {
  char name[16];
  std::snprintf(name, sizeof name, "%02d.jpg", number);
  return name;
}

// The number of the picture a title names, or 0.
int PictureNumber(const std::string& title) {
  const size_t end = title.find(".jpg");
  return end != std::string::npos && end >= 2 ? std::atoi(title.substr(end - 2, 2).c_str()) : 0;
}

// What the watched window did, and when this program heard of it.
struct Happening {
  enum Kind { kOther, kTitled, kDrawn, kKeyPressed, kKeyReleased } kind;
  Clock::time_point at;
  std::string title;  // kTitled
};

// Times from a key, in milliseconds: until the title names the file stepped
// to, and until the window is first drawn over.
struct StepTime {
  double titled;
  double drawn;
};

// The X server's side of one program's window at a time: its title changes,
// its drawing and the keys it gets.
class XSession {
 public:
  XSession() : display_(XOpenDisplay(nullptr)) {
    int unused;
    if (!display_ || !XTestQueryExtension(display_, &unused, &unused, &unused, &unused) ||
        !XDamageQueryExtension(display_, &damageEvent_, &unused)) {
      throw std::runtime_error("no X display with the XTest and DAMAGE extensions");
    }
    titleAtoms_ = {XInternAtom(display_, "WM_NAME", False),
                   XInternAtom(display_, "_NET_WM_NAME", False)};
    // A held key then reaches this program as presses and one release.
    XkbSetDetectableAutoRepeat(display_, True, nullptr);
    // Windows come and go while the tree is searched.
    XSetErrorHandler([](Display*, XErrorEvent* error) {
      if (error->error_code != BadWindow) std::fprintf(stderr, "X error %d\n", error->error_code);
      return 0;
    });
  }
  ~XSession() { XCloseDisplay(display_); }

  // The window, at any depth below the root, whose title holds text; from
  // then on it is the window watched.
  Window FindWindowTitled(const std::string& text) {
    const Window found = FindTitled(DefaultRootWindow(display_), text);
    if (!found) return 0;
    XSelectInput(display_, found, PropertyChangeMask | KeyPressMask | KeyReleaseMask);
    XDamageCreate(display_, found, XDamageReportRawRectangles);
    XWindowAttributes attributes;
    XGetWindowAttributes(display_, found, &attributes);
    windowArea_ = attributes.width * attributes.height;
    return found;
  }

  void Key(Window window, KeySym key, bool down) {
    XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, key), down, CurrentTime);
    XFlush(display_);
  }

  void DiscardEvents() { XSync(display_, True); }

  // What happens next; throws when nothing does for long.
  Happening Next() {
    if (std::optional<Happening> next = Next(kEventLimit)) return *next;
    throw std::runtime_error("the window does nothing");
  }

  // What happens next, or none when nothing does within the limit.
  std::optional<Happening> Next(Clock::duration limit) {
    for (const auto end = Clock::now() + limit; !XPending(display_);) {
      if (Clock::now() > end) return std::nullopt;
      pollfd connection{ConnectionNumber(display_), POLLIN, 0};
      poll(&connection, 1, 10);
    }
    XEvent event;
    XNextEvent(display_, &event);
    Happening happened{Happening::kOther, Clock::now(), ""};
    const XPropertyEvent& change = event.xproperty;
    const XRectangle& area = reinterpret_cast<const XDamageNotifyEvent&>(event).area;
    if (event.type == PropertyNotify && IsTitle(change.atom)) {
      happened.kind = Happening::kTitled;
      happened.title = Title(change.window, change.atom);
    } else if (event.type == damageEvent_ + XDamageNotify &&
               2 * area.width * area.height >= windowArea_) {
      happened.kind = Happening::kDrawn;  // over half the window: the picture, not the caption
    } else if (event.type == KeyPress || event.type == KeyRelease) {
      happened.kind = event.type == KeyPress ? Happening::kKeyPressed : Happening::kKeyReleased;
    }
    return happened;
  }

  // The times until the title names text and until the window is drawn over.
  StepTime WaitForStep(Clock::time_point since, const std::string& text) {
    StepTime time{-1, -1};
    while (time.titled < 0 || time.drawn < 0) {
      const Happening next = Next();
      if (time.titled < 0 && next.kind == Happening::kTitled &&
          next.title.find(text) != std::string::npos) {
        time.titled = Ms(next.at - since);
      }
      if (time.drawn < 0 && next.kind == Happening::kDrawn) time.drawn = Ms(next.at - since);
    }
    return time;
  }

  // The server repeats a held key every interval while the guard lives.
  class FastRepeat {
   public:
    FastRepeat(Display* display, unsigned intervalMs) : display_(display) {
      XkbGetAutoRepeatRate(display_, XkbUseCoreKbd, &delay_, &interval_);
      XkbSetAutoRepeatRate(display_, XkbUseCoreKbd, intervalMs, intervalMs);
    }
    FastRepeat(const FastRepeat&) = delete;
    FastRepeat& operator=(const FastRepeat&) = delete;
    ~FastRepeat() { XkbSetAutoRepeatRate(display_, XkbUseCoreKbd, delay_, interval_); }

   private:
    Display* display_;
    unsigned delay_ = 0, interval_ = 0;
  };
  FastRepeat RepeatEvery(milliseconds interval) { return {display_, unsigned(interval.count())}; }

 private:
  bool IsTitle(Atom atom) const {
    return std::find(titleAtoms_.begin(), titleAtoms_.end(), atom) != titleAtoms_.end();
  }

  std::string Title(Window window, Atom property) const {
    Atom type;
    int format;
    unsigned long length, remaining;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display_, window, property, 0, 1024, False, AnyPropertyType, &type,
                           &format, &length, &remaining, &data) == Success &&
        data && format == 8) {
      title.assign(reinterpret_cast<char*>(data), length);
    }
    if (data) XFree(data);
    return title;
  }

  Window FindTitled(Window under, const std::string& text) const {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, under, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
      const bool titled = std::any_of(titleAtoms_.begin(), titleAtoms_.end(), [&](Atom atom) {
        return Title(children[i], atom).find(text) != std::string::npos;
      });
      found = titled ? children[i] : FindTitled(children[i], text);
    }
    if (children) XFree(children);
    return found;
  }

  Display* display_;
  int damageEvent_ = 0;
  long windowArea_ = 0;
  std::vector<Atom> titleAtoms_;
};

// A program started on the first picture and shown: its window takes keys,
// and it quits with Q when done.
class ShownProgram {
 public:
  ShownProgram(XSession& x, const std::string& command) : x_(x), child_(command) {
    for (const auto end = Clock::now() + kStartLimit; !window_ && Clock::now() < end;) {
      if (child_.WaitForExit(milliseconds(20))) throw std::runtime_error("ended: " + command);
      window_ = x_.FindWindowTitled(PictureName(1));
    }
    if (!window_) throw std::runtime_error("no window titled 01.jpg: " + command);
  }
  ~ShownProgram() { PressKey(XK_q); }

  // One key, and the times until the picture it steps to shows.
  StepTime Step(int toPicture) {
    x_.DiscardEvents();
    const auto start = Clock::now();
    PressKey(XK_space);
    return x_.WaitForStep(start, PictureName(toPicture));
  }

  // A key held until the server's repeats made steps presses, and the time
  // per step made until the title names the last picture. A program that
  // drops the presses queued while it decodes (feh) makes fewer steps, and
  // settles.
  double HoldKey(int steps) {
    const auto repeat = x_.RepeatEvery(kKeyRepeat);
    x_.DiscardEvents();
    const auto start = Clock::now();
    x_.Key(window_, XK_space, true);
    int presses = 0, shown = 1;
    bool released = false;
    double titled = 0;
    for (std::optional<Happening> next; (next = x_.Next(kSettle));) {
      if (next->kind == Happening::kKeyPressed && ++presses == steps) {
        x_.Key(window_, XK_space, false);
      }
      released = released || next->kind == Happening::kKeyReleased;
      if (next->kind == Happening::kTitled && PictureNumber(next->title)) {
        shown = PictureNumber(next->title);
        titled = Ms(next->at - start);
      }
      if (released && shown == 1 + presses) break;
    }
    if (!released || shown == 1) throw std::runtime_error("the held key did nothing");
    return titled / (shown - 1);
  }

  // J, then the accelerator A once the menu is open, and the times from A
  // until the picture filed leaves the next one shown.
  StepTime File(int toPicture) {
    PressKey(XK_j);
    std::this_thread::sleep_for(kMenuOpens);
    x_.DiscardEvents();
    const auto start = Clock::now();
    PressKey(XK_a);
    return x_.WaitForStep(start, PictureName(toPicture));
  }

  std::string Ask(const std::string& line) { return child_.Ask(line); }

 private:
  void PressKey(KeySym key) {
    x_.Key(window_, key, true);
    x_.Key(window_, key, false);
  }

  XSession& x_;
  Child child_;
  Window window_ = 0;
};

StepTime Median(const std::vector<StepTime>& times) {
  std::vector<double> titled, drawn;
  for (const StepTime& time : times) {
    titled.push_back(time.titled);
    drawn.push_back(time.drawn);
  }
  return {Median(titled), Median(drawn)};
}

// 1.
StepTime StepDecodedAhead(XSession& x, const std::string& command) {
  ShownProgram program(x, command);
  program.Step(2);  // the first step after opening is figure 2's
  std::vector<StepTime> times;
  for (int picture = 3; picture <= 8; ++picture) {
    std::this_thread::sleep_for(kIdle);
    times.push_back(program.Step(picture));
  }
  return Median(times);
}

// The median of a measure taken in fresh starts, each 2 s after the first
// picture showed.
template <typename Measure>
auto MedianOfStarts(XSession& x, const std::string& command, int starts, Measure measure) {
  std::vector<std::invoke_result_t<Measure, ShownProgram&>> times;
  for (int run = 0; run < starts; ++run) {
    ShownProgram program(x, command);
    std::this_thread::sleep_for(kIdle);
    times.push_back(measure(program));
  }
  return Median(times);
}

// 2.
StepTime FirstStep(XSession& x, const std::string& command) {
  return MedianOfStarts(x, command, 5, [](ShownProgram& program) { return program.Step(2); });
}

// 3.
double HeldKeyStep(XSession& x, const std::string& command) {
  return MedianOfStarts(x, command, 3,
                        [](ShownProgram& program) { return program.HoldKey(kHeldSteps); });
}

// 4. Peak while the key is held, and 3 s after the last step, in MiB.
struct Memory {
  double heldPeak;
  double atRest;
};

Memory MemoryOfHeldKey(XSession& x, const std::string& command) {
  ShownProgram program(x, command);
  std::this_thread::sleep_for(kIdle);
  program.Ask("idle");
  program.HoldKey(kHeldSteps);
  const std::string held = program.Ask("held");
  std::this_thread::sleep_for(kRest);
  const std::string rest = program.Ask("rest");
  constexpr double kMiB = 1 << 20;
  return {std::strtod(held.c_str(), nullptr) / kMiB,
          std::strtod(rest.c_str() + rest.find(' '), nullptr) / kMiB};
}

// 5. The files in filed afterwards are counted by the caller.
StepTime FilingTwoKeys(XSession& x, const std::string& command) {
  ShownProgram program(x, command);
  std::vector<StepTime> times;
  for (int picture = 2; picture <= kFiled + 1; ++picture) {
    std::this_thread::sleep_for(kIdle);
    times.push_back(program.File(picture));
  }
  return Median(times);
}

size_t FilesIn(const std::string& folder) {
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    count += entry.is_regular_file() ? 1 : 0;
  }
  return count;
}

constexpr char kHeldKey[] = "held key repeating every 20 ms (10 keys; 3 runs)";
constexpr char kTitlePerStep[] = "  key -> title, per step made";

void PrintHeading(const char* what, const char* ours, const char* theirs) {
  std::printf("%-50s %12s %12s %7s\n", what, ours, theirs, "ratio");
}

void PrintRow(const char* what, double ours, double theirs, const char* unit, const char* goal) {
  std::printf("  %-48s %8.1f %-3s %8.1f %-3s %7.3f%s%s\n", what, ours, unit, theirs, unit,
              ours / theirs, *goal ? " " : "", goal);
  std::fflush(stdout);
}

void PrintRows(const char* what, StepTime ours, StepTime theirs, const char* goal) {
  std::printf("  %s\n", what);
  PrintRow("  key -> title", ours.titled, theirs.titled, "ms", goal);
  PrintRow("  key -> picture drawn", ours.drawn, theirs.drawn, "ms", "");
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> commands;
  for (int i = 1; i + 1 < argc; i += 2) commands[argv[i]] = argv[i + 1];
  const std::string viewer = commands["--viewer"], feh = commands["--feh"];
  const std::string baseline = commands["--baseline"];
  if (viewer.empty() || feh.empty()) {
    std::fprintf(
        stderr, "usage: step_latency_xbench --viewer COMMAND --feh COMMAND [--baseline COMMAND]\n");
    return 2;
  }
  try {
    XSession x;
    PrintHeading("median times", "viewer", "feh");
    const StepTime step = StepDecodedAhead(x, viewer);
    PrintRows("step to a picture decoded ahead (2 s between keys; 6 steps)", step,
              StepDecodedAhead(x, feh), "(goal <= 0.1)");
    if (!commands["--filing"].empty()) {
      const StepTime filing = FilingTwoKeys(x, commands["--filing"]);
      PrintHeading("", "filing", "step");
      PrintRows("filing with J and an accelerator, with companions (11 pictures)", filing, step,
                "(goal: title <= 150 ms)");
      std::printf("  files in the folder filed into: %zu of %d\n", FilesIn(commands["--filed"]),
                  3 * kFiled);
    }
    PrintRows("first step after opening (2 s idle; 5 starts)", FirstStep(x, viewer),
              FirstStep(x, feh), "(goal <= 0.1)");
    const double held = HeldKeyStep(x, viewer);
    std::printf("  %s\n", kHeldKey);
    PrintRow(kTitlePerStep, held, HeldKeyStep(x, feh), "ms", "");
    const Memory ours = MemoryOfHeldKey(x, viewer);
    if (baseline.empty()) {
      std::printf("  committed memory: peak while the key is held %.1f MiB, 3 s after %.1f MiB\n",
                  ours.heldPeak, ours.atRest);
      return 0;
    }
    PrintHeading("", "viewer", "baseline");
    std::printf("  %s\n", kHeldKey);
    PrintRow(kTitlePerStep, held, HeldKeyStep(x, baseline), "ms", "(goal <= 0.5)");
    const Memory theirs = MemoryOfHeldKey(x, baseline);
    std::printf("  committed memory\n");
    PrintRow("  peak while the key is held", ours.heldPeak, theirs.heldPeak, "MiB", "");
    PrintRow("  3 s after the last step", ours.atRest, theirs.atRest, "MiB", "");
  } catch (const std::exception& e) {
    std::printf("stopped: %s\n", e.what());
    return 1;
  }
  return 0;
}
