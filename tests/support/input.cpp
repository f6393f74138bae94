#include "support/input.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/desktop.h"

namespace bex::test {
namespace {

// Keys that a keyboard reports with the extended-key prefix (E0).
bool IsExtendedKey(WORD vk) {
  switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:
    case VK_DELETE:
    case VK_DIVIDE:
    case VK_NUMLOCK:
    case VK_RCONTROL:
    case VK_RMENU:
      return true;
    default:
      return false;
  }
}

INPUT KeyInput(WORD vk, bool down) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
  return in;
}

struct ModifierKey {
  Modifier bit;
  WORD vk;
};
constexpr ModifierKey kModifierKeys[] = {{kCtrl, VK_CONTROL}, {kAlt, VK_MENU}, {kShift, VK_SHIFT}};

void AppendModifiers(std::vector<INPUT>& inputs, unsigned modifiers, bool down) {
  if (down) {
    for (const ModifierKey& m : kModifierKeys) {
      if (modifiers & m.bit) inputs.push_back(KeyInput(m.vk, true));
    }
    return;
  }
  for (auto m = std::rbegin(kModifierKeys); m != std::rend(kModifierKeys); ++m) {
    if (modifiers & m->bit) inputs.push_back(KeyInput(m->vk, false));
  }
}

void AppendChord(std::vector<INPUT>& inputs, WORD vk, unsigned modifiers) {
  AppendModifiers(inputs, modifiers, true);
  inputs.push_back(KeyInput(vk, true));
  inputs.push_back(KeyInput(vk, false));
  AppendModifiers(inputs, modifiers, false);
}

void Send(std::vector<INPUT> inputs) {
  if (inputs.empty()) return;
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  if (sent != inputs.size()) throw std::runtime_error("SendInput refused the input");
}

// Moves the X pointer through the X server, as a mouse does. Moves made with
// SendInput make Wine warp the X pointer, and the X server reports each warp
// to the window under the pointer as a motion of its own that arrives late:
// an extra move back to an old position, which also clears the modifier
// state. Pointer motion from the X server itself has none of that.
void MovePointerAlong(const std::vector<POINT>& path) {
  const POINT end = path.back();
  POINT now{};
  const auto arrived = [&] { return GetCursorPos(&now) && now.x == end.x && now.y == end.y; };
  if (path.size() == 1 && arrived()) return;
  // Wine starts a Linux program without waiting for it, and two of them may
  // reach the X server in either order: each run leaves a mark when done.
  static int runs = 0;
  const std::string mark =
      "/tmp/bex-pointer-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++runs);
  std::string script = "/usr/bin/xdotool";
  for (const POINT& p : path) {
    script += " mousemove " + std::to_string(p.x) + " " + std::to_string(p.y);
  }
  script += "; touch " + mark;
  std::string commandLine = "Z:\\bin\\sh -c \"" + script + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    throw std::runtime_error("moving the pointer needs /bin/sh and /usr/bin/xdotool");
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  std::string windowsMark = "Z:" + mark;
  std::replace(windowsMark.begin(), windowsMark.end(), '/', '\\');
  const bool done =
      WaitUntil([&] { return GetFileAttributesA(windowsMark.c_str()) != INVALID_FILE_ATTRIBUTES; });
  DeleteFileA(windowsMark.c_str());
  if (!done || !WaitUntil(arrived)) {
    throw std::runtime_error("the pointer does not reach " + std::to_string(end.x) + "," +
                             std::to_string(end.y) + " (it is at " + std::to_string(now.x) + "," +
                             std::to_string(now.y) + ")");
  }
}

// A button or wheel event where the pointer is.
INPUT ButtonInput(DWORD flags, DWORD data = 0) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.mouseData = data;
  in.mi.dwFlags = flags;
  return in;
}

// A button event that carries its screen point: Wine's own idea of the
// pointer may lag behind the X pointer on a busy machine, and a bare button
// event would then land where the pointer was before.
INPUT ButtonInputAt(DWORD flags, POINT screen) {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (width <= 0 || height <= 0) return ButtonInput(flags);
  const auto absolute = [](int offset, int size) {
    return static_cast<LONG>((static_cast<int64_t>(offset) * 65536 + size - 1) / size);
  };
  INPUT in = ButtonInput(flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK);
  in.mi.dx = absolute(screen.x - left, width);
  in.mi.dy = absolute(screen.y - top, height);
  return in;
}

DWORD ButtonFlag(MouseButton button, bool down) {
  switch (button) {
    case MouseButton::kLeft:
      return down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    case MouseButton::kRight:
      return down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
    case MouseButton::kMiddle:
      return down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
  }
  return 0;
}

}  // namespace

void SendKeyChord(WORD vk, unsigned modifiers) {
  std::vector<INPUT> inputs;
  AppendChord(inputs, vk, modifiers);
  Send(inputs);
}

void SendKey(WORD vk, bool down) { Send({KeyInput(vk, down)}); }

void SendModifiers(unsigned modifiers, bool down) {
  std::vector<INPUT> inputs;
  AppendModifiers(inputs, modifiers, down);
  Send(inputs);
}

void SendText(const std::string& text) {
  std::vector<INPUT> inputs;
  for (char c : text) {
    const SHORT scan = VkKeyScanA(c);
    if (scan == -1) throw std::runtime_error(std::string("no key types '") + c + "'");
    AppendChord(inputs, LOBYTE(scan), (HIBYTE(scan) & 1) ? kShift : kNoModifier);
  }
  Send(inputs);
}

void SendWideText(const std::wstring& text) {
  std::vector<INPUT> inputs;
  for (wchar_t unit : text) {
    for (const DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wScan = unit;
      in.ki.dwFlags = KEYEVENTF_UNICODE | up;
      inputs.push_back(in);
    }
  }
  Send(inputs);
}

void SendMouseMove(POINT screen) { MovePointerAlong({screen}); }

void SendMouseMoves(const std::vector<POINT>& path) { MovePointerAlong(path); }

void SendMouseButton(MouseButton button, bool down, POINT screen) {
  MovePointerAlong({screen});
  Send({ButtonInputAt(ButtonFlag(button, down), screen)});
}

void SendDoubleClick(MouseButton button, POINT screen) {
  MovePointerAlong({screen});
  Send({ButtonInput(ButtonFlag(button, true)), ButtonInput(ButtonFlag(button, false)),
        ButtonInput(ButtonFlag(button, true)), ButtonInput(ButtonFlag(button, false))});
}

void SendWheel(int notches, POINT screen) {
  MovePointerAlong({screen});
  Send({ButtonInput(MOUSEEVENTF_WHEEL, static_cast<DWORD>(notches * WHEEL_DELTA))});
}

}  // namespace bex::test
