// How long a start takes until the first picture's title shows, measured
// from the X side alike for the viewer and for feh: each start is timed
// from the moment the benchmark starts the program's process until a window
// of the display is titled with the picture's name (WM_NAME or
// _NET_WM_NAME). The programs quit with Q once titled. The cases' starts take
// turns, so that a change of the machine's load falls on every case alike.
// Figures: the median of each case and its ratio to feh's showing the picture
// alike (shrunk to the window, or at 100 %); the decode of the JPEG as the
// viewer's trace tells it (BEX_START_TRACE: from the moment its decode can
// start, the helper ready or the decode started, whichever is later, until
// it is decoded whole); and where the time goes in the JPEG starts whose
// time is the median, shrunk to the window and at 100 %.
// Usage, each COMMAND a shell command that starts a program on a picture
// named NAME, TRACE a file the viewer's trace is written to (Linux path):
//   start_latency_xbench --starts N
//       --jpeg NAME TRACE COMMAND --jpeg-100 NAME TRACE COMMAND
//       --bitmap NAME TRACE COMMAND --bitmap-alone NAME TRACE COMMAND
//       --feh NAME COMMAND --feh-100 NAME COMMAND
#include <poll.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr auto kStartLimit = seconds(60);
constexpr auto kQuitLimit = seconds(10);

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Microseconds since 1970, the clock of the viewer's trace.
int64_t WallMicroseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// The Windows form of a Linux path under Wine.
std::string WinePath(const std::string& path) {
  std::string windows = "Z:" + path;
  std::replace(windows.begin(), windows.end(), '/', '\\');
  return windows;
}

// The X server's windows, watched for a title: every window, at any depth,
// reports its children and its property changes.
class TitleWatch {
 public:
  TitleWatch() : display_(XOpenDisplay(nullptr)) {
    int unused;
    if (!display_ || !XTestQueryExtension(display_, &unused, &unused, &unused, &unused)) {
      throw std::runtime_error("no X display with the XTest extension");
    }
    titleAtoms_ = {XInternAtom(display_, "WM_NAME", False),
                   XInternAtom(display_, "_NET_WM_NAME", False)};
    // Windows come and go while they are looked at.
    XSetErrorHandler([](Display*, XErrorEvent* error) {
      if (error->error_code != BadWindow) std::fprintf(stderr, "X error %d\n", error->error_code);
      return 0;
    });
  }
  ~TitleWatch() { XCloseDisplay(display_); }

  // Watches every window there is now; events from before are dropped.
  void Restart() {
    XSync(display_, True);
    Watch(DefaultRootWindow(display_));
  }

  // The window titled with text, and when it was seen so; none at the limit.
  std::optional<std::pair<Window, Clock::time_point>> WaitForTitle(const std::string& text,
                                                                   Clock::time_point limit) {
    for (;;) {
      while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        Window candidate = 0;
        if (event.type == CreateNotify) {
          candidate = Watch(event.xcreatewindow.window, text);
        } else if (event.type == PropertyNotify && IsTitle(event.xproperty.atom) &&
                   Title(event.xproperty.window).find(text) != std::string::npos) {
          candidate = event.xproperty.window;
        }
        if (candidate) return std::make_pair(candidate, Clock::now());
      }
      if (Clock::now() > limit) return std::nullopt;
      pollfd connection{ConnectionNumber(display_), POLLIN, 0};
      poll(&connection, 1, 10);
    }
  }

  // Waits until window shows, up to the limit: a program may title its
  // window before it maps it, and only a window that shows takes the focus.
  void WaitUntilViewable(Window window, Clock::time_point limit) {
    for (XWindowAttributes attributes; Clock::now() < limit;) {
      if (!XGetWindowAttributes(display_, window, &attributes) ||
          attributes.map_state == IsViewable) {
        return;
      }
      std::this_thread::sleep_for(milliseconds(5));
    }
  }

  void PressKey(Window window, KeySym key) {
    XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
    for (const bool down : {true, false}) {
      XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, key), down, CurrentTime);
    }
    XFlush(display_);
  }

 private:
  // Watches window and everything below it; the one titled with text, if any.
  Window Watch(Window window, const std::string& text = std::string()) {
    XSelectInput(display_, window, SubstructureNotifyMask | PropertyChangeMask);
    if (!text.empty() && Title(window).find(text) != std::string::npos) return window;
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, window, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count; ++i) {
      const Window titled = Watch(children[i], text);
      if (!found) found = titled;
    }
    if (children) XFree(children);
    return found;
  }

  bool IsTitle(Atom atom) const {
    return std::find(titleAtoms_.begin(), titleAtoms_.end(), atom) != titleAtoms_.end();
  }

  std::string Title(Window window) const {
    std::string title;
    for (const Atom property : titleAtoms_) {
      Atom type;
      int format;
      unsigned long length, remaining;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(display_, window, property, 0, 1024, False, AnyPropertyType, &type,
                             &format, &length, &remaining, &data) == Success &&
          data && format == 8) {
        title.append(reinterpret_cast<char*>(data), length);
      }
      if (data) XFree(data);
    }
    return title;
  }

  Display* display_;
  std::vector<Atom> titleAtoms_;
};

// The moments of one start, in milliseconds from the process start.
using Moments = std::map<std::string, double>;

// The first time of each moment of the viewer's trace, in milliseconds from
// startedAt (microseconds since 1970).
Moments ReadTrace(const std::string& path, int64_t startedAt) {
  Moments moments;
  std::ifstream trace(path);
  std::string moment;
  int64_t at = 0;
  while (trace >> moment >> at) moments.emplace(moment, (at - startedAt) / 1000.0);
  return moments;
}

struct Case {
  std::string label;
  std::string name;   // the picture's file name, which the title shows
  std::string trace;  // empty: the program writes none
  std::string command;
  std::string baseline;  // the option of the case it is compared with
  std::string goal;      // printed beside its ratio
};

struct Start {
  double titled;  // ms from the process start
  Moments moments;
};

Start TimeStart(TitleWatch& x, const Case& start) {
  if (!start.trace.empty()) std::remove(start.trace.c_str());
  std::vector<std::string> environment;
  if (!start.trace.empty()) environment.push_back("BEX_START_TRACE=" + WinePath(start.trace));
  x.Restart();
  const int64_t startedAt = WallMicroseconds();
  const auto started = Clock::now();
  xbench::Child child(start.command, environment);
  const auto titled = x.WaitForTitle(start.name, started + kStartLimit);
  if (!titled) throw std::runtime_error("no window titled " + start.name + ": " + start.command);
  Start result{Ms(titled->second - started), {}};
  x.WaitUntilViewable(titled->first, Clock::now() + kQuitLimit);
  x.PressKey(titled->first, XK_q);
  if (!child.WaitForExit(kQuitLimit))
    std::fprintf(stderr, "%s did not quit\n", start.label.c_str());
  if (!start.trace.empty()) result.moments = ReadTrace(start.trace, startedAt);
  result.moments["title on the X side"] = result.titled;
  return result;
}

// The time a JPEG decode took in one traced start.
double DecodeTime(const Moments& moments) {
  auto at = [&](const char* moment) {
    const auto found = moments.find(moment);
    return found == moments.end() ? 0.0 : found->second;
  };
  return at("decoded") - std::max(at("decode"), at("helper"));
}

void PrintBreakdown(const std::string& caseLabel, const Start& start) {
  static const std::pair<const char*, const char*> kMoments[] = {
      {"process", "process up (entry point)"},
      {"window", "window created"},
      {"decode", "first decode started"},
      {"helper-start", "helper process being created"},
      {"helper-created", "helper process created"},
      {"helper-up", "helper process up (its entry point)"},
      {"helper", "helper ready (modules loaded)"},
      {"described", "  helper: the module described the picture"},
      {"handed", "  helper: the module handed its DIB over"},
      {"readied", "  helper: the whole picture's section written to"},
      {"converted", "  helper: the DIB converted into the section"},
      {"reduced", "reduced picture on screen"},
      {"decoded", "whole picture decoded"},
      {"painted", "painted"},
      {"title on the X side", "title on the X side"},
  };
  std::vector<std::pair<double, const char*>> seen;
  for (const auto& [moment, label] : kMoments) {
    const auto found = start.moments.find(moment);
    if (found != start.moments.end()) seen.emplace_back(found->second, label);
  }
  std::sort(seen.begin(), seen.end());
  std::printf("where the time goes in the start of median time, %s (ms from the process start)\n",
              caseLabel.c_str());
  for (const auto& [at, label] : seen) std::printf("  %-40s %8.1f\n", label, at);
}

// The median start of a case, by its time to the title.
const Start& MedianStart(std::vector<Start>& starts) {
  std::sort(starts.begin(), starts.end(),
            [](const Start& a, const Start& b) { return a.titled < b.titled; });
  return starts[starts.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int starts = 9;
  std::vector<Case> cases;
  struct Kind {
    const char* label;
    bool traced;
    const char* baseline;
    const char* goal;
  };
  const std::map<std::string, Kind> kinds = {
      {"--jpeg", {"JPEG 4000 x 3000 shrunk to the window", true, "--feh", "  (goal <= 1.5)"}},
      {"--jpeg-100",
       {"the JPEG at 100 % (window follows it)", true, "--feh-100", "  (goal <= 2.0)"}},
      {"--bitmap", {"the same picture as a bitmap, shrunk", true, "--feh", ""}},
      {"--bitmap-alone", {"the bitmap, no plug-in folder", true, "--feh", ""}},
      {"--feh", {"feh --scale-down on the JPEG", false, "--feh", ""}},
      {"--feh-100", {"feh on the JPEG at 100 %", false, "--feh-100", ""}}};
  std::map<std::string, size_t> index;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    const auto kind = kinds.find(option);
    const int values = kind != kinds.end() && kind->second.traced ? 3 : 2;
    if (option == "--starts" && i + 1 < argc) {
      starts = std::atoi(argv[++i]);
    } else if (kind != kinds.end() && i + values < argc && !index.count(option)) {
      index[option] = cases.size();
      cases.push_back({kind->second.label, argv[i + 1], values == 3 ? argv[i + 2] : "",
                       argv[i + values], kind->second.baseline, kind->second.goal});
      i += values;
    } else {
      cases.clear();
      break;
    }
  }
  if (cases.size() != kinds.size() || starts < 1) {
    std::fprintf(stderr,
                 "usage: start_latency_xbench [--starts N] --jpeg NAME TRACE COMMAND "
                 "--jpeg-100 NAME TRACE COMMAND --bitmap NAME TRACE COMMAND "
                 "--bitmap-alone NAME TRACE COMMAND --feh NAME COMMAND --feh-100 NAME COMMAND\n");
    return 2;
  }
  try {
    TitleWatch x;
    for (const Case& start : cases) TimeStart(x, start);  // warm the caches, not counted
    std::vector<std::vector<Start>> times(cases.size());
    for (int run = 0; run < starts; ++run) {
      for (size_t i = 0; i < cases.size(); ++i) times[i].push_back(TimeStart(x, cases[i]));
    }
    std::vector<double> medians;
    for (const std::vector<Start>& caseTimes : times) {
      std::vector<double> titled;
      for (const Start& start : caseTimes) titled.push_back(start.titled);
      medians.push_back(Median(titled));
    }
    std::printf("process start -> title, median of %d starts %12s %8s\n", starts, "ms", "x feh");
    for (size_t i = 0; i < cases.size(); ++i) {
      const double ratio = medians[i] / medians[index.at(cases[i].baseline)];
      std::printf("  %-48s %8.1f %8.2f%s\n", cases[i].label.c_str(), medians[i], ratio,
                  cases[i].goal.c_str());
    }
    const size_t jpeg = index.at("--jpeg");
    std::vector<double> decodes;
    for (const Start& start : times[jpeg]) decodes.push_back(DecodeTime(start.moments));
    const double decode = Median(decodes);
    const double bound = medians[index.at("--bitmap-alone")] + 1.2 * decode;
    std::printf("  one whole JPEG decode in the viewer (median) %13.1f ms\n", decode);
    std::printf("  JPEG against the bitmap without plug-ins + 1.2 x decode: %.1f <= %.1f ms %s\n",
                medians[jpeg], bound, medians[jpeg] <= bound ? "(goal met)" : "(goal missed)");
    for (const char* option : {"--jpeg", "--jpeg-100"}) {
      PrintBreakdown(cases[index.at(option)].label, MedianStart(times[index.at(option)]));
    }
  } catch (const std::exception& e) {
    std::printf("stopped: %s\n", e.what());
    return 1;
  }
  return 0;
}
