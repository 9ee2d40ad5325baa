// A seeded corpus: case i of a kind is made from the seed base + i alone, so
// that any case can be made again and run alone (CORPUS_SEED=N). CTest runs
// the first cases of each kind, CORPUS_FULL=1 all of them. Also the draws and
// the byte-level damage (a bad download, a bad disk) that the kinds share.
#pragma once

#include <windows.h>

#include <functional>
#include <random>
#include <string>

namespace robustness {

struct CorpusKind {
    const char* name;
    unsigned baseSeed;    // kinds use disjoint seed ranges, so a seed names its kind
    unsigned quickCount;  // the cases that CTest runs
    unsigned fullCount;   // the cases with CORPUS_FULL=1
    DWORD caseTimeoutMs;  // longer means a hang
};

// Runs `runCase(seed)` for the kind's cases, or for the one that CORPUS_SEED
// names (none when it is another kind's). Each case runs under a trace that
// names its seed and the command that replays it, and under a guard that
// prints the same and ends the process when the case hangs or any thread
// crashes. `runCase` returns how the case ended, for the counts printed at
// the end. Stops after ten failing cases.
void RunCorpus(const CorpusKind& kind, const std::function<std::string(unsigned seed)>& runCase);

size_t Below(std::mt19937& random, size_t bound);  // in [0, bound)
bool Chance(std::mt19937& random, unsigned percent);
std::string RandomBytes(std::mt19937& random, size_t count);
// `changes` random changes, each one of: a bit flipped, a byte set to an edge
// or random value, a short range deleted, repeated or inserted, the end cut.
void MutateBytes(std::string& bytes, std::mt19937& random, int changes);
// Sets the little-endian field of `width` bytes at `offset`, when it fits, to
// an edge value, a random one or one near the size of `bytes`.
void MutateField(std::string& bytes, size_t offset, size_t width, std::mt19937& random);
// About `length` characters of macros whole and broken, escapes, NULs,
// surrogates and words.
std::wstring MacroText(std::mt19937& random, size_t length);

// The fatal stops since the program began (see FatalStopRecorder.cpp).
unsigned FatalStopCount();

}  // namespace robustness
