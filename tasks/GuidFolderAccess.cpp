#include "GuidFolderAccess.h"

#include <windows.h>

#include <sddl.h>

#include <vector>

#include "framework/ScopedHandle.h"

namespace {

// The SID of the user this process runs as, as text; empty when unknown.
// Elevation keeps the user: it is the one who started the program.
std::wstring ProcessUserSid()
{
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened))
        return std::wstring();
    const Win32xx::CScopedHandle token(opened);
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    LPWSTR text = nullptr;
    if (size == 0 || !::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size) ||
        !::ConvertSidToStringSidW(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid, &text))
        return std::wstring();
    const Win32xx::CLocalMemory<wchar_t> owned(text);
    return owned.get();
}

}  // namespace

std::wstring GuidFolderSddl(const std::wstring& userSid)
{
    return L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;OW)(A;OICI;0x1200a9;;;" + userSid + L")";
}

Win32xx::CLocalMemory<void> GuidFolderDescriptor()
{
    const std::wstring user = ProcessUserSid();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (user.empty() || !::ConvertStringSecurityDescriptorToSecurityDescriptorW(GuidFolderSddl(user).c_str(),
                                                                                SDDL_REVISION_1, &descriptor, nullptr))
        return nullptr;
    return Win32xx::CLocalMemory<void>(descriptor);
}
