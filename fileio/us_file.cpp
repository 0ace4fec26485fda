#include "fileio/us_file.h"

namespace {

constexpr signed char kClosed = -1;
constexpr signed char kOpenForSave = 1;

HANDLE OpenForSave(const char* name, DWORD disposition) {
  return CreateFileA(name, GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

CUSFile::CUSFile() : m_hFile(nullptr), m_cMode(kClosed) {}

CUSFile::~CUSFile() { Close(); }

void CUSFile::Open(const std::string& name) {
  if (m_hFile != nullptr) {
    throw CUSFileError(name.c_str(), "Already Open(Save)", CUSFileError::kAlreadyOpen);
  }
  HANDLE file = OpenForSave(name.c_str(), TRUNCATE_EXISTING);
  if (file == INVALID_HANDLE_VALUE) file = OpenForSave(name.c_str(), CREATE_NEW);
  if (file == INVALID_HANDLE_VALUE) {
    throw CUSFileError(name.c_str(), "Don't Open File(Save)", CUSFileError::kCantOpen);
  }
  m_hFile = file;
  m_strFileName = name;
  m_cMode = kOpenForSave;
}

void CUSFile::Write(const void* data, std::uint32_t length) {
  if (m_hFile == nullptr || m_cMode != kOpenForSave || data == nullptr || length == 0) {
    throw CUSFileError(m_strFileName.c_str(), "Don't Write", CUSFileError::kCantWrite);
  }
  DWORD written = 0;
  // A write that reports success but wrote less than asked is a failure too.
  if (!WriteFile(m_hFile, data, length, &written, nullptr) || written != length) {
    throw CUSFileError(m_strFileName.c_str(), "Don't Write", CUSFileError::kCantWrite);
  }
}

void CUSFile::Close() {
  if (m_hFile == nullptr) return;
  CloseHandle(m_hFile);
  m_hFile = nullptr;
  m_cMode = kClosed;
}
