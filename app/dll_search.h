// The start-up's defence against DLLs that a web page drops beside the program.
#pragma once

// Keeps every later load of a DLL by bare name to the system directory where Windows can (8 and
// later, Vista and 7 with the loader update), else takes the current directory out of the search
// (XP SP1 to 7); changes nothing on Windows 2000 and XP before SP1, which can do neither.
void RestrictDllSearch();
