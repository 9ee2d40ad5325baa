#include "ZipEntryName.h"

namespace {

bool IsSeparator(wchar_t ch)
{
    return ch == L'\\' || ch == L'/';
}

// Applies the first rule that matches; returns false when none did.
bool ApplyOneRule(std::wstring& name)
{
    if (name.size() >= 2 && name[1] == L':') {
        name.erase(0, 2);
        return true;
    }
    if (!name.empty() && IsSeparator(name[0])) {
        name.erase(0, 1);
        return true;
    }
    for (const wchar_t* pattern : {L"\\..\\", L"\\../", L"/../", L"/..\\"}) {
        const size_t position = name.find(pattern);
        if (position != std::wstring::npos) {
            name.erase(0, position + 4);
            return true;
        }
    }
    return false;
}

// A component that the platform resolves to the parent folder: it trims
// trailing dots and blanks, so "..", "...", ".. " all climb out.
bool IsParentComponent(const std::wstring& component)
{
    if (component.size() < 2 || component.compare(0, 2, L"..") != 0)
        return false;
    return component.find_first_not_of(L". ") == std::wstring::npos;
}

}  // namespace

std::wstring MakeEntryNameSafe(std::wstring name)
{
    while (ApplyOneRule(name)) {
    }
    return name;
}

bool IsUnsafeEntryName(const std::wstring& name)
{
    if (name.empty() || IsSeparator(name[0]) || name.find(L':') != std::wstring::npos)
        return true;
    size_t begin = 0;
    while (begin <= name.size()) {
        size_t end = begin;
        while (end < name.size() && !IsSeparator(name[end]))
            ++end;
        if (IsParentComponent(name.substr(begin, end - begin)))
            return true;
        begin = end + 1;
    }
    return false;
}
