// Drives another program's windows the way a user would: find its dialogs and message boxes,
// read their texts, press their buttons, fill the save dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace desktop {

// A program started for the test; killed if still running when the object goes.
class Program {
 public:
  Program(const std::string& exe, const std::string& arguments, const std::string& workDir);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  // Waits for the end of the program and gives its exit code; STILL_ACTIVE on a timeout.
  DWORD WaitForExit(DWORD milliseconds);

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// The first visible top-level window of the process that has `title` and satisfies `accept`,
// waiting up to `milliseconds`; null when none appears.
HWND WaitForWindow(DWORD processId, const std::wstring& title, DWORD milliseconds,
                   const std::function<bool(HWND)>& accept = nullptr);

// Whether any visible top-level window of the process has one of these titles right now.
bool HasWindowTitled(DWORD processId, const std::wstring& title);

std::wstring TextW(HWND window);
std::string TextA(HWND window);  // in the ANSI code page, as the program set it

// Presses a button of a dialog or message box by its id, as a click would.
void Press(HWND dialog, int buttonId);

// Pumps nothing, just lets the other process run.
void Pause(DWORD milliseconds);

// Fills the file name field of a save dialog and confirms it.
bool ChooseFileName(HWND saveDialog, const std::wstring& path);

}  // namespace desktop
