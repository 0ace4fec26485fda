// The text file writer: holds at most one file, opened for saving, and writes byte buffers to it
// exactly as given. Every failure is thrown as CUSFileError; no operation returns a status.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "fileio/us_file_error.h"

class CUSFile {
 public:
  CUSFile();
  // Closes a file that is still held.
  virtual ~CUSFile();
  CUSFile(const CUSFile&) = delete;
  CUSFile& operator=(const CUSFile&) = delete;

  // Opens `name` (ANSI code page) for writing without sharing: an existing file is emptied at
  // once, a missing one is created; never appends, never retries. Throws code 4 when a file is
  // already held (which stays held), code 2 when the file can be neither opened nor created.
  void Open(const std::string& name);

  // Writes the bytes in one platform write at the current position. Throws code 6, carrying the
  // last opened name, when no file is held, data is null, length is 0, or the platform did not
  // write all of it; the file then stays held.
  void Write(const void* data, std::uint32_t length);

  // Closes the held file, if any. The name of the last file stays. Never throws.
  void Close();

 private:
  std::string m_strFileName;
  HANDLE m_hFile;       // null exactly when no file is held
  signed char m_cMode;  // 1 while a file is held for saving, -1 otherwise
};
