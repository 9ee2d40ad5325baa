// Byte-level changes to an input, each drawn from a seeded generator: what a
// damaged download, a bad disk or a careless editor does to a file.
#pragma once

#include <random>
#include <string>

namespace robustness {

// Applies `changes` random changes to `bytes`, each one of: flipping a bit,
// setting a byte to an edge value (0, 0x7F, 0x80, 0xFF), writing a random
// byte, deleting or duplicating a short range, inserting random bytes, or
// truncating.
void MutateBytes(std::string& bytes, std::mt19937& random, int changes);

// Overwrites the little-endian field of `width` bytes at `offset` (when it
// fits) with an edge value or a random one.
void MutateField(std::string& bytes, size_t offset, size_t width, std::mt19937& random);

// `count` random bytes.
std::string RandomBytes(std::mt19937& random, size_t count);

}  // namespace robustness
