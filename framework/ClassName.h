// ClassName: the source name of a class from its type_info name, for the
// names that exceptions have: "St9bad_alloc" is "std::bad_alloc",
// "NSt8ios_base7failureB5cxx11E" is "std::ios_base::failure[abi:cxx11]",
// "N12_GLOBAL__N_15ErrorE" is "(anonymous namespace)::Error", as the C++
// runtime's demangler writes them. The demangler itself understands the whole
// mangling and costs the program about 50 KB (with the printf it calls); a
// name beyond plain and nested class names (templates, local classes) is
// returned as it is.
#pragma once

#include <string>

namespace Win32xx {

std::string ClassName(const char* mangled);

}  // namespace Win32xx
