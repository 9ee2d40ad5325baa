#include "TempFolders.h"

#include <objbase.h>

#include <exception>

#include "ZipEntryName.h"

BOOL GetTempFolderPath(Win32xx::CString& path)
{
    try {
        wchar_t buffer[MAX_PATH];
        const DWORD length = ::GetTempPathW(MAX_PATH, buffer);
        // A longer path would not fit: the platform then returns the size
        // that it needs instead of the path.
        if (length == 0 || length > MAX_PATH)
            return FALSE;
        path = Win32xx::CString(buffer, length);
        return TRUE;
    } catch (const std::exception&) {
        return FALSE;
    }
}

Win32xx::CString NewGuidString()
{
    GUID guid;
    if (FAILED(::CoCreateGuid(&guid)))
        return Win32xx::CString();
    Win32xx::CString text;
    text.Format(L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned>(guid.Data1),
                guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
                guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

BOOL CreateSubFolder(const Win32xx::CString& base, const Win32xx::CString& name, Win32xx::CString& folder)
{
    Win32xx::CString relative(name);
    relative.Replace(L'/', L'\\');
    if (base.IsEmpty())
        folder = relative;
    else if (base[base.GetLength() - 1] != L'\\')
        folder = base + L"\\" + relative;
    else
        folder = base + relative;
    return ::CreateDirectoryW(folder.c_str(), nullptr) ? TRUE : FALSE;
}

Win32xx::CString FileNameFromUrl(const Win32xx::CString& url)
{
    const int slash = url.ReverseFind(L'/');
    return slash < 0 ? Win32xx::CString() : url.Mid(slash + 1);
}

bool IsUnsafeFileName(const Win32xx::CString& name)
{
    // An archive entry's rules, for a name that must also stay one component.
    const std::wstring& text = name.str();
    return text.find(L'\\') != std::wstring::npos || text.find(L"..") != std::wstring::npos ||
           IsUnsafeEntryName(text);
}
