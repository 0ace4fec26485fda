// The display driver's version: the driver file's "FileVersion" string for its first translation,
// or the version that DirectX's identification reports for the driver.
#pragma once

#include <windows.h>

#include <string>

// The identification's driver version (liDriverVersion) as "product.version.subversion.build",
// its four 16-bit words from the high one down, in decimal; empty when it reports none (0). What
// the report shows where the version service cannot find the driver file: today's drivers live in
// the driver store, outside its search. At most 23 bytes.
std::string IdentifiedDriverVersion(LARGE_INTEGER version);

// Writes the text into out (at most outSize - 1 bytes, zero-filled behind it) and returns 1;
// returns 0 and leaves out untouched when the file, its version resource, its translation table
// or the string is missing, and when the version resource is damaged so that its root length does
// not fit the block that was read. outSize is at least 1.
int GetDriverFileVersion(char* out, int outSize, const char* fileName);
