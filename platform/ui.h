// The Windows user interface services the checker uses: dialog, message boxes, save prompt.
// Tests link a recording fake in place of ui.cpp.
#pragma once

#include <windows.h>

#include <commdlg.h>

namespace ui {

// MessageBoxA: returns once the user has dismissed the box.
int ShowMessage(HWND owner, const char* text, const char* title, UINT flags);

// GetDesktopWindow.
HWND DesktopWindow();

// DialogBoxParamA with a template id from the given module's resources.
INT_PTR RunDialog(HINSTANCE instance, int templateId, HWND owner, DLGPROC proc, LPARAM init);

// EndDialog.
BOOL CloseDialog(HWND dialog, INT_PTR result);

// SetDlgItemTextA.
BOOL SetItemText(HWND dialog, int controlId, const char* text);

// GetSaveFileNameA (comdlg32.dll, loaded from the system directory on first use): 1 when the
// user chose a name, which is then in request->lpstrFile; 0 also when it cannot be loaded.
BOOL AskSaveFileName(OPENFILENAMEA* request);

}  // namespace ui
