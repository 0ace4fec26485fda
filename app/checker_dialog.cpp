#include "app/checker_dialog.h"

#include "app/export.h"
#include "app/res/resource.h"
#include "platform/ui.h"
#include "report/report.h"
#include "report/store.h"

INT_PTR CALLBACK CheckerDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      BuildReport(dialog, g_ReportSlot);
      return TRUE;  // the platform focuses the first tab stop, the close button
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
          ui::CloseDialog(dialog, 1);
          break;
        case IDC_EXPORT:
          ExportReport(dialog);
          break;
        default:
          break;
      }
      return FALSE;
    default:
      return FALSE;
  }
}
