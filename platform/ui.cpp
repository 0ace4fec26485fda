#include "platform/ui.h"

#include "platform/system_library.h"

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

BOOL AskSaveFileName(OPENFILENAMEA* request) {
  // The common dialogs are loaded when first needed: most runs never save, and loading them
  // (with the shell they pull in) at start-up would delay the dialog.
  static const auto save =
      SystemExportAs<decltype(&::GetSaveFileNameA)>("comdlg32.dll", "GetSaveFileNameA");
  return save != nullptr ? save(request) : FALSE;
}

}  // namespace ui
