// The archives of the extraction corpus: small trees of folders and files
// under ordinary and hostile names (climbing, absolute, device names, stream
// names, names aimed at the folder around the extraction folder), then often
// damaged: random bytes, header fields set to edge values, truncation.
#pragma once

#include <string>
#include <vector>

namespace robustness {

struct ArchiveCase {
    std::string bytes;
    // The content of every entry that was generated (empty for folders):
    // whatever the task writes must be one of them, since a damaged entry
    // fails its CRC.
    std::vector<std::string> contents;
    std::string mutation;  // how the archive was damaged, for the counts
};

// The archive of `seed`. `escapeTarget` is the absolute path of a folder
// outside the extraction folder (UTF-8) that some hostile names aim at.
ArchiveCase MakeArchiveCase(unsigned seed, const std::string& escapeTarget);

}  // namespace robustness
