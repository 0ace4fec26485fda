// The one exception of the file writer: a fixed English message, the file concerned, a code.
// Deliberately not derived from std::exception: only a handler for CUSFileError (or for
// everything) catches it.
#pragma once

#include <cstdint>
#include <string>

class CUSFileError {
 public:
  // Codes and their messages, the only ones thrown.
  static constexpr std::int16_t kCantOpen = 2;     // "Don't Open File(Save)"
  static constexpr std::int16_t kAlreadyOpen = 4;  // "Already Open(Save)"
  static constexpr std::int16_t kCantWrite = 6;    // "Don't Write"

  // The file name comes first and the message second; both are copied.
  CUSFileError(const char* fileName, const char* message, std::int16_t code);
  CUSFileError(const CUSFileError&) = default;
  CUSFileError& operator=(const CUSFileError&) = default;
  virtual ~CUSFileError();

  const std::string& Message() const { return m_strMessage; }
  const std::string& FileName() const { return m_strFileName; }
  std::int16_t Code() const { return m_nCode; }

 private:
  std::string m_strMessage;
  std::string m_strFileName;
  std::int16_t m_nCode;
};
