#include "tests/e2e/checker_driver.h"

namespace checker_driver {

const std::wstring kCaption =
    L"Quorvex\u30de\u30b7\u30f3\u74b0\u5883\u60c5\u5831\u30c1\u30a7\u30c3\u30ab\u30fc  Ver.1.00";
const std::wstring kSurveyTitle =
    L"Quorvex\u30de\u30b7\u30f3\u74b0\u5883\u60c5\u5831\u30c1\u30a7\u30c3\u30ab\u30fc";
const std::wstring kSaveTitle = L"\u30d5\u30a1\u30a4\u30eb\u306e\u4fdd\u5b58";
const std::wstring kSavedTitle = L"\u6210\u529f";
const std::wstring kNotSavedTitle = L"\u30a8\u30e9\u30fc";

bool IsMessageBox(HWND window) { return GetDlgItem(window, kMessageTextId) != nullptr; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start != text.size()) lines.push_back("<unterminated>" + text.substr(start));
  return lines;
}

ExportResult Export(DWORD processId, HWND dialog, const std::wstring& path) {
  ExportResult result;
  desktop::Press(dialog, 1001);
  HWND save = desktop::WaitForWindow(processId, kSaveTitle, kTimeout,
                                     [](HWND w) { return !IsMessageBox(w); });
  if (save == nullptr || !desktop::ChooseFileName(save, path)) {
    result.text = "<no save dialog>";
    return result;
  }
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kTimeout) {
    for (const std::wstring* title : {&kSavedTitle, &kNotSavedTitle}) {
      if (HWND box = desktop::WaitForWindow(processId, *title, 0, IsMessageBox)) {
        result.title = *title;
        result.text = desktop::TextA(GetDlgItem(box, kMessageTextId));
        desktop::Press(box, IDOK);
        return result;
      }
    }
    if (HWND question = desktop::WaitForWindow(processId, kSaveTitle, 0, IsMessageBox)) {
      if (GetDlgItem(question, IDYES) != nullptr) {
        result.askedToReplace = true;
        desktop::Press(question, IDYES);
      } else {
        // The save dialog itself refused the name: say what it said and give up the export.
        result.saveDialogRefused = true;
        result.text = desktop::TextA(GetDlgItem(question, kMessageTextId));
        desktop::Press(question, IDOK);
        desktop::Pause(500);
        desktop::Press(save, IDCANCEL);
        return result;
      }
      desktop::Pause(300);
    }
    desktop::Pause(100);
  }
  result.text = "<nothing happened>";
  return result;
}

}  // namespace checker_driver
