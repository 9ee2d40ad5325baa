// Everything that lies in a folder tree, for checking where a case wrote.
#pragma once

#include <string>
#include <vector>

namespace robustness {

struct TreeEntry {
    std::wstring path;  // full path
    bool folder = false;
};

// Every file and folder below `root` (not `root` itself), depth first.
std::vector<TreeEntry> ListTree(const std::wstring& root);

// True when `path` lies inside `folder` (below it, not the folder itself).
bool IsInside(const std::wstring& path, const std::wstring& folder);

}  // namespace robustness
