#include "NewFolder.h"

#include <winternl.h>

#include "LinkCheck.h"

namespace Win32xx {

namespace {

// The native name of an absolute path: "\??\C:\...", "\??\UNC\server\...".
std::wstring NativePath(const std::wstring& fullPath)
{
    if (fullPath.rfind(L"\\\\?\\", 0) == 0)
        return L"\\??\\" + fullPath.substr(4);
    if (fullPath.rfind(L"\\\\", 0) == 0)
        return L"\\??\\UNC\\" + fullPath.substr(2);
    return L"\\??\\" + fullPath;
}

}  // namespace

CScopedHandle CreateFolderAndOpen(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor)
{
    // The kernel32 layer has no call that creates a folder and returns it
    // open; ntdll's is looked up, as ntdll is in every process and no
    // import of it is wanted at start-up.
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const auto createFile = ntdll ? reinterpret_cast<decltype(&::NtCreateFile)>(
                                        reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtCreateFile")))
                                  : nullptr;
    const std::wstring fullPath = FullPathOf(path);
    std::wstring nativePath = NativePath(fullPath);
    if (!createFile || fullPath.empty() || nativePath.size() > UNICODE_STRING_MAX_CHARS)
        return CScopedHandle();
    UNICODE_STRING name;
    name.Buffer = nativePath.data();
    name.Length = static_cast<USHORT>(nativePath.size() * sizeof(wchar_t));
    name.MaximumLength = name.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, nullptr, descriptor);
    IO_STATUS_BLOCK status;
    HANDLE folder = nullptr;
    // FILE_CREATE fails on any existing name; the reparse flag keeps the
    // last component from being followed should one appear meanwhile.
    const NTSTATUS result = createFile(&folder, FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                       &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE,
                                       FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT,
                                       nullptr, 0);
    return CScopedHandle(NT_SUCCESS(result) ? folder : nullptr);
}

}  // namespace Win32xx
