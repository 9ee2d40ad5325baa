// The C++ runtime's default terminate handler, in the program's own version:
// it aborts, as the runtime's does after writing the pending exception's
// type to the standard error stream. A program with windows has no such
// stream, and that report links the runtime's demangler and MinGW's standard
// printf (about 65 KB) into the program. Defined here, this one is linked in
// place of the runtime's.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
}  // namespace __gnu_cxx
