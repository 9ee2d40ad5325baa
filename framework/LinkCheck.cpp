#include "LinkCheck.h"

namespace Win32xx {

namespace {

// Asks `query` for a text of the length it needs: the platform answers a short
// buffer with the size it wants, a fitting one with the length it wrote.
template <class Query>
std::wstring QueryText(Query query)
{
    std::wstring text(MAX_PATH, L'\0');
    DWORD length = query(text.data(), static_cast<DWORD>(text.size()));
    if (length >= text.size()) {
        text.resize(length);
        length = query(text.data(), static_cast<DWORD>(text.size()));
    }
    text.resize(length < text.size() ? length : 0);
    return text;
}

}  // namespace

bool IsLinkedFile(DWORD attributes, DWORD nameCount) noexcept
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || nameCount > 1;
}

bool ReachedThroughLink(DWORD attributes, const std::wstring& finalPath, const std::wstring& expectedFinalPath)
{
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || finalPath.empty())
        return true;
    return ::CompareStringOrdinal(finalPath.c_str(), static_cast<int>(finalPath.size()), expectedFinalPath.c_str(),
                                  static_cast<int>(expectedFinalPath.size()), TRUE) != CSTR_EQUAL;
}

std::wstring FinalPathOf(HANDLE object)
{
    return QueryText([object](wchar_t* buffer, DWORD size) {
        return ::GetFinalPathNameByHandleW(object, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
}

std::wstring FullPathOf(const std::wstring& path)
{
    return QueryText([&path](wchar_t* buffer, DWORD size) {
        return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr);
    });
}

}  // namespace Win32xx
