#include "FatalStopRecorder.h"

#include <atomic>

#include "app/Die.h"

namespace {
std::atomic<unsigned> g_fatalStops{0};
}  // namespace

void Die()
{
    ++g_fatalStops;
}

void Die(const Win32xx::CString&)
{
    ++g_fatalStops;
}

bool FatalStopRequested() noexcept
{
    return g_fatalStops != 0;
}

namespace robustness {

unsigned FatalStopCount()
{
    return g_fatalStops;
}

}  // namespace robustness
