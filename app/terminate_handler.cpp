// What the C++ runtime does with an exception that nobody catches. The program catches every
// exception it throws, so this is a last resort, and it is plain: the runtime's own "verbose"
// handler links in the whole C++ name demangler and a printf engine, a quarter of the
// executable, only to print a message that a windowed program has nowhere to show.
#include <cstdlib>
#include <string>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// The errors that std::string throws (no memory, a null text, a length past max_size(), a position
// past the end), which nothing in the program catches, so they end it as any uncaught exception
// does. The runtime's own versions share one object with every other standard exception, and
// with GCC 14 that brings std::random_device and std::system_error along, whose messages import
// FormatMessageA, LocalFree and strerror: kilobytes for errors that cannot be reported.
namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
}  // namespace std
