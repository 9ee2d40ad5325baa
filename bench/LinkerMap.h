// What the linker put into a program, by library or object file, read from
// the map file that GNU ld writes with -Map.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// The bytes of code and data (uninitialised data and debug sections left
// out) that each library or object file contributes, largest first. Members
// of a library count for the library ("libstdc++.a"); the partitions of the
// link-time optimisation count as one ("link-time optimised code").
std::vector<std::pair<std::string, size_t>> LinkerMapContributors(const std::string& mapText);

}  // namespace bench
