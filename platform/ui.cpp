#include "platform/ui.h"

namespace ui {

int ShowMessage(HWND owner, const char* text, const char* title, UINT flags) {
  return MessageBoxA(owner, text, title, flags);
}

HWND DesktopWindow() { return GetDesktopWindow(); }

INT_PTR RunDialog(HINSTANCE instance, int templateId, HWND owner, DLGPROC proc, LPARAM init) {
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, proc, init);
}

BOOL CloseDialog(HWND dialog, INT_PTR result) { return EndDialog(dialog, result); }

BOOL SetItemText(HWND dialog, int controlId, const char* text) {
  return SetDlgItemTextA(dialog, controlId, text);
}

BOOL AskSaveFileName(OPENFILENAMEA* request) { return GetSaveFileNameA(request); }

}  // namespace ui
