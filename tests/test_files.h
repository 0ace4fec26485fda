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
// A new, empty folder under the temporary folder, named for `tag` and unique in this run, without
// a trailing backslash; empty when it cannot be made.
std::string NewFolder(const std::string& tag);
// A path of the build, given as a Unix path, as Windows programs under Wine see it.
std::string FromUnix(const std::string& unixPath);

}  // namespace test_files
