// The process's first code: the linker makes SetupEntryPoint the entry
// (see app/CMakeLists.txt), in place of the C runtime's start-up.
//
// The C runtime's start-up runs every static constructor of the program and
// of the libraries linked into it before WinMain; any of them may load a
// DLL. Restricting the DLL search here, before the runtime starts, means
// that no load by name ever searches the program's own folder.

#include "DllSearch.h"

extern "C" int WinMainCRTStartup();

extern "C" __attribute__((used)) int SetupEntryPoint()
{
    RestrictDllSearchToSystem32();
    return WinMainCRTStartup();
}
