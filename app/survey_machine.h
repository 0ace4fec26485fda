// Start-up: the machine survey and the program's run.
#pragma once

#include <windows.h>

// Surveys the machine into the store: adapters and devices, the chosen device's driver
// identification and file version, the sound drivers. 0 on success; -1 after telling the user
// in a message box which step failed.
int SurveyMachine();

// The whole program: the DLL search restricted first, then the survey, then the checker dialog.
// The exit code: 0 after the dialog has closed, -1 when the survey failed and no window was opened.
int RunChecker(HINSTANCE instance);
