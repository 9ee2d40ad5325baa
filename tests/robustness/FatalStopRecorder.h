// The fatal stops, as this test program links them: instead of the product's
// message box and quit request, each call is counted and returns, as the
// product's does once the box is closed. The resource database calls Die()
// when a damaged file cannot be opened or read, and goes on with what it has;
// the corpus drives that path thousands of times, where a box would wait for
// a click. Linking these definitions keeps app/Die.cpp out of this program
// only; the product and the other tests keep the real ones.
#pragma once

namespace robustness {

// The number of fatal stops since the program began.
unsigned FatalStopCount();

}  // namespace robustness
