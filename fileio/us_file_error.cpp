#include "fileio/us_file_error.h"

CUSFileError::CUSFileError(const char* fileName, const char* message, std::int16_t code)
    : m_strMessage(message), m_strFileName(fileName), m_nCode(code) {}

CUSFileError::~CUSFileError() = default;
