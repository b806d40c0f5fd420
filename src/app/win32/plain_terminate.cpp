// The C++ library's own reaction to an exception nobody catches prints the exception's
// type by name, which brings the demangler and stdio into the .exe (about 50 KB) for a
// console that a GUI program does not have. This definition takes the place of the
// library's under the same name and ends the program as std::terminate must; it works
// only as an object of the .exe itself, which the linker sees before the library.
#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
