// The resource databases of the database corpus that are damaged as files: a
// small database shaped like a release's, whose bytes are then changed page
// by page (bits flipped, pages zeroed, filled or copied over others, header
// fields set to edge values, the file cut short).
#pragma once

#include <random>
#include <string>

namespace robustness {

// Writes the base database to `path`.
void BuildBaseDatabase(const std::wstring& path, const std::string& picture);

// Damages the file's bytes; returns how, for the counts.
std::string DamageDatabaseFile(std::string& bytes, std::mt19937& random);

}  // namespace robustness
