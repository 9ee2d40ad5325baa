// Runs a seeded corpus: case i of a kind is made from the seed base + i
// alone, so that any case can be made again and run alone (CORPUS_SEED).
// Also what the kinds' generators share: seeded draws, byte-level damage
// (what a damaged download, a bad disk or a careless editor does) and macro
// texts.
#pragma once

#include <windows.h>

#include <functional>
#include <random>
#include <string>

namespace robustness {

struct CorpusKind {
    const char* name;     // "archives", ...
    unsigned baseSeed;    // kinds use disjoint seed ranges, so a seed names its kind
    unsigned count;
    DWORD caseTimeoutMs;  // longer means a hang
};

// How a case ended that broke no expectation: the input was accepted, or
// refused in the documented way. `label` groups the counts.
struct CaseResult {
    bool succeeded = false;
    std::string label;
};

// Runs `runCase(seed)` for every case of `kind`, or only for the seed that
// the environment variable CORPUS_SEED names (no case when it belongs to
// another kind). Each case runs under a trace that names its seed and how to
// replay it, and under a guard: a case that outlives its time, or a crash on
// any thread, ends the process after printing the same. Stops after ten
// failing cases. Prints the counts per outcome.
void RunCorpus(const CorpusKind& kind, const std::function<CaseResult(unsigned seed)>& runCase);

// A number in [0, bound).
size_t Below(std::mt19937& random, size_t bound);
// True with the chance percent / 100.
bool Chance(std::mt19937& random, unsigned percent);
// `count` random bytes.
std::string RandomBytes(std::mt19937& random, size_t count);

// Applies `changes` random changes to `bytes`, each one of: flipping a bit,
// setting a byte to an edge value (0, 0x7F, 0x80, 0xFF), writing a random
// byte, deleting or duplicating a short range, inserting random bytes, or
// truncating.
void MutateBytes(std::string& bytes, std::mt19937& random, int changes);

// Overwrites the little-endian field of `width` bytes at `offset` (when it
// fits) with an edge value or a random one.
void MutateField(std::string& bytes, size_t offset, size_t width, std::mt19937& random);

// A text for macro expansion of about `length` characters: pieces of macros
// whole and broken, escapes, NULs, surrogates and plain words.
std::wstring MacroText(std::mt19937& random, size_t length);
// A length for such a text: mostly short, sometimes long, rarely huge (up to
// a million characters).
size_t MacroTextLength(std::mt19937& random);

}  // namespace robustness
