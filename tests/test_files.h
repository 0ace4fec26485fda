// Small file helpers shared by the tests.
#pragma once

#include <string>

namespace test_files {

// The whole content of a file, or "<missing>" when it cannot be read.
std::string ReadAll(const std::string& path);
// Replaces the file's content.
bool WriteAll(const std::string& path, const std::string& content);
// A file beside the running test program.
std::string Beside(const std::string& name);
// A path of the build, given as a Unix path, as Windows programs under Wine see it.
std::string FromUnix(const std::string& unixPath);

}  // namespace test_files
