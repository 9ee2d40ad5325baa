#include "GenericSingleton.h"

Win32xx::CCriticalSection& SingletonCreationLock()
{
    // Never destroyed: a singleton may be reached while the process ends.
    static auto* const lock = new Win32xx::CCriticalSection;
    return *lock;
}
