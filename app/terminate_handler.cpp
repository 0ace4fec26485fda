// What the C++ runtime does with an exception that nobody catches. The program catches every
// exception it throws, so this is a last resort, and it is plain: the runtime's own "verbose"
// handler links in the whole C++ name demangler and a printf engine, a quarter of the
// executable, only to print a message that a windowed program has nowhere to show.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
