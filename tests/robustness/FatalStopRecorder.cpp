// The fatal stops as this program links them, in place of app/Die.cpp: each
// call is counted and returns, as the product's does once its box is closed
// (a damaged database ends in the fatal stop thousands of times here, where a
// box would wait for a click). The product and the other tests keep the real ones.

#include <atomic>

#include "Corpus.h"
#include "app/Die.h"

static std::atomic<unsigned> g_fatalStops{0};

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

unsigned robustness::FatalStopCount()
{
    return g_fatalStops;
}
