#include "tests/e2e/desktop.h"

#include <vector>

namespace desktop {

Program::Program(const std::string& exe, const std::string& arguments, const std::string& workDir) {
  std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
  std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (CreateProcessA(exe.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     workDir.empty() ? nullptr : workDir.c_str(), &startup, &info)) {
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
  }
}

Program::~Program() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 99);
  CloseHandle(process_);
}

DWORD Program::WaitForExit(DWORD milliseconds) {
  if (process_ == nullptr || WaitForSingleObject(process_, milliseconds) != WAIT_OBJECT_0) {
    return STILL_ACTIVE;
  }
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_, &code);
  return code;
}

namespace {

struct Search {
  DWORD processId;
  const std::wstring* title;
  const std::function<bool(HWND)>* accept;
  HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM context) {
  Search& search = *reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.processId || !IsWindowVisible(window)) return TRUE;
  if (TextW(window) != *search.title) return TRUE;
  if (*search.accept && !(*search.accept)(window)) return TRUE;
  search.found = window;
  return FALSE;
}

HWND FindNow(DWORD processId, const std::wstring& title, const std::function<bool(HWND)>& accept) {
  Search search{processId, &title, &accept, nullptr};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

HWND WaitForWindow(DWORD processId, const std::wstring& title, DWORD milliseconds,
                   const std::function<bool(HWND)>& accept) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND found = FindNow(processId, title, accept)) {
      Pause(200);  // let it finish initialising before it is driven
      return found;
    }
    if (GetTickCount() - start > milliseconds) return nullptr;
    Pause(100);
  }
}

bool HasWindowTitled(DWORD processId, const std::wstring& title) {
  return FindNow(processId, title, nullptr) != nullptr;
}

std::wstring TextW(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

std::string TextA(HWND window) {
  const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<size_t>(length) * 2 + 1, '\0');
  text.resize(static_cast<size_t>(
      SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

void Press(HWND dialog, int buttonId) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

void Pause(DWORD milliseconds) { Sleep(milliseconds); }

bool ChooseFileName(HWND saveDialog, const std::wstring& path) {
  // The explorer-style dialog names its field cmb13 (a combo box with an edit) or edt1.
  HWND field = GetDlgItem(saveDialog, 0x47C);
  if (field != nullptr) {
    if (HWND edit = FindWindowExW(field, nullptr, L"Edit", nullptr)) field = edit;
  } else {
    field = GetDlgItem(saveDialog, 0x480);
  }
  if (field == nullptr) return false;
  SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  Press(saveDialog, IDOK);
  return true;
}

}  // namespace desktop
