// Saving the report to a text file the user names.
#pragma once

#include <windows.h>

// Asks for a file name (proposing "QvxCheck.txt" each time), writes g_ReportText to it exactly
// and tells the user whether that worked. Cancelling does nothing at all.
void ExportReport(HWND dialog);
