// The version text of a driver file: its "FileVersion" string for the first translation.
#pragma once

// Writes the text into out (at most outSize - 1 bytes, zero-filled behind it) and returns 1;
// returns 0 and leaves out untouched when the file, its version resource, its translation table
// or the string is missing, and when the version resource is damaged so that its root length does
// not fit the block that was read. outSize is at least 1.
int GetDriverFileVersion(char* out, int outSize, const char* fileName);
