#include "SandboxScan.h"

#include "support/Files.h"

namespace robustness {

namespace {

void Collect(const std::wstring& folder, std::vector<TreeEntry>& entries)
{
    for (const std::wstring& name : testing_support::ListFolder(folder)) {
        const std::wstring path = folder + L"\\" + name;
        const bool isFolder = testing_support::FolderExists(path);
        entries.push_back({path, isFolder});
        if (isFolder)
            Collect(path, entries);
    }
}

}  // namespace

std::vector<TreeEntry> ListTree(const std::wstring& root)
{
    std::vector<TreeEntry> entries;
    Collect(root, entries);
    return entries;
}

bool IsInside(const std::wstring& path, const std::wstring& folder)
{
    return !folder.empty() && path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == L'\\';
}

}  // namespace robustness
