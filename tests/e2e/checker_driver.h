// Drives the checker's own windows: its dialog, its messages, the export through the save dialog.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/desktop.h"

namespace checker_driver {

extern const std::wstring kCaption;        // the checker dialog
extern const std::wstring kSurveyTitle;    // the survey's failure messages
extern const std::wstring kSaveTitle;      // the save dialog and its own questions
extern const std::wstring kSavedTitle;     // 成功
extern const std::wstring kNotSavedTitle;  // エラー
constexpr int kMessageTextId = 0xFFFF;     // the text of a message box
constexpr DWORD kStartTimeout = 120000;
constexpr DWORD kTimeout = 30000;

bool IsMessageBox(HWND window);

// The report's lines without their CR LF; an unterminated tail is marked.
std::vector<std::string> Lines(const std::string& text);

// What the user saw in the end of one export.
struct ExportResult {
  std::wstring title;  // title of the checker's result box; empty when none came
  std::string text;    // its text, or what the save dialog said when it refused the name
  bool saveDialogRefused = false;
  bool askedToReplace = false;
};

// Presses the export button, names `path` in the save dialog, agrees to replace an existing
// file, and dismisses the message that follows.
ExportResult Export(DWORD processId, HWND dialog, const std::wstring& path);

}  // namespace checker_driver
