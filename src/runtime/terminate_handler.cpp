// The handler an uncaught exception ends the program with, for Marrowin.exe and plink.exe.
// The compiler's default one prints the exception's demangled type on the error output, which
// these window programs do not have, and brings a whole C++ name demangler into each of them:
// this one ends the program the same way, without the message.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

} // namespace __gnu_cxx
