#include "ZipEntryName.h"

#include <algorithm>

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

// A component that the platform opens as a device instead of a file in the
// folder (CON, NUL, AUX, PRN, COM1 to COM9, LPT1 to LPT9, the console's
// CONIN$ and CONOUT$), in any letter case, also with an extension or with
// trailing dots and blanks ("nul.txt", "Aux ."). Digits 0 and the
// superscripts are included, as some versions of the platform take them too.
bool IsDeviceComponent(const std::wstring& component)
{
    std::wstring stem = component.substr(0, component.find(L'.'));
    stem.erase(stem.find_last_not_of(L' ') + 1);
    for (wchar_t& ch : stem)
        ch = (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - L'a' + L'A') : ch;
    if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" || stem == L"CONIN$" ||
        stem == L"CONOUT$")
        return true;
    const bool numbered = stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0);
    return numbered && ((stem[3] >= L'0' && stem[3] <= L'9') || stem[3] == L'\u00B9' || stem[3] == L'\u00B2' ||
                        stem[3] == L'\u00B3');
}

// Names keep what their stored bytes hold, NULs included, while the platform
// reads a path only up to its first NUL: "nul\0.txt" passes the device check
// as a whole but is created as "nul".
bool HasControlCharacter(const std::wstring& name)
{
    return std::any_of(name.begin(), name.end(), [](wchar_t ch) { return ch < L' '; });
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
    if (name.empty() || IsSeparator(name[0]) || name.find(L':') != std::wstring::npos || HasControlCharacter(name))
        return true;
    size_t begin = 0;
    while (begin <= name.size()) {
        size_t end = begin;
        while (end < name.size() && !IsSeparator(name[end]))
            ++end;
        const std::wstring component = name.substr(begin, end - begin);
        if (IsParentComponent(component) || IsDeviceComponent(component))
            return true;
        begin = end + 1;
    }
    return false;
}
