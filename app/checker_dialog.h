// The checker dialog: the report box, the export button and the close button.
#pragma once

#include <windows.h>

// WM_INITDIALOG composes the report once; close, Escape and the close box end the dialog with 1;
// the export button saves the report and keeps the dialog open.
INT_PTR CALLBACK CheckerDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
