// Message boxes of the program: the plain ones with fixed captions and the
// general error report.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace bex {

constexpr char kApplicationTitle[] = "Bex";

// A plain message box with a fixed caption, no icon. Every box of the
// program shows over the dialog of owner's that the user is looking at, when
// one is open.
int ShowMessage(HWND owner, const std::string& text, const std::string& caption,
                UINT buttons = MB_OK);
// The same for a text that holds a file name as it is.
int ShowMessage(HWND owner, const std::wstring& text, const std::string& caption,
                UINT buttons = MB_OK);

// The message of a command that failed. Keyboard input queued before the
// box closes is dropped, keys typed ahead before it showed as well as those
// it left, so that the next key acts only once the user has seen it.
void ShowFailure(HWND owner, const std::wstring& text, const std::string& caption);

// The general error report: the text in a message box with an error icon and
// the application title as caption, with a period appended as the runtime does.
void ShowErrorReport(HWND owner, const std::string& text);

// Tells that path does not fit the platform's buffers; none, for returning.
std::nullopt_t ReportPathTooLong(HWND owner, const std::wstring& path);

}  // namespace bex
