#include "WorkFolder.h"

#include <exception>
#include <vector>

#include "GuidFolderAccess.h"
#include "TempFolders.h"
#include "framework/CriticalSection.h"
#include "framework/LinkCheck.h"
#include "framework/NewFolder.h"

namespace {

// Keeps `folder` open until the process ends: the files in it are used after
// the task that made it has gone (resources.db, an installer launched later).
// Never destroyed, as workers may still make folders while the process ends;
// the platform closes the handles then.
void HoldUntilExit(Win32xx::CScopedHandle folder)
{
    static Win32xx::CCriticalSection* const lock = new Win32xx::CCriticalSection;
    static auto* const held = new std::vector<Win32xx::CScopedHandle>;
    Win32xx::CThreadLock locked(*lock);
    held->push_back(std::move(folder));
}

}  // namespace

bool WorkFolder::Create()
{
    try {
        Win32xx::CString temp;
        if (!GetTempFolderPath(temp))
            return false;
        const Win32xx::CString guid = NewGuidString();
        const Win32xx::CLocalMemory<void> descriptor = GuidFolderDescriptor();
        if (guid.IsEmpty() || !descriptor)
            return false;
        // The platform's temporary path ends with a separator.
        const Win32xx::CString path = temp + guid;
        Win32xx::CScopedHandle folder = Win32xx::CreateFolderAndOpen(path.str(), descriptor.get());
        if (!folder)
            return false;
        const std::wstring finalPath = Win32xx::FinalPathOf(folder.Get());
        const std::wstring fullPath = Win32xx::FullPathOf(path.str());
        HoldUntilExit(std::move(folder));
        if (finalPath.empty() || fullPath.empty())
            return false;
        m_path = path;
        m_fullPath = fullPath;
        m_finalPath = finalPath;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool WorkFolder::Holds(HANDLE object, const Win32xx::CString& relative) const
{
    const std::wstring fullPath = Win32xx::FullPathOf((m_path + L"\\" + relative).str());
    if (m_finalPath.empty() || fullPath.size() <= m_fullPath.size() + 1 ||
        fullPath.compare(0, m_fullPath.size(), m_fullPath) != 0 || fullPath[m_fullPath.size()] != L'\\')
        return false;
    BY_HANDLE_FILE_INFORMATION information;
    if (!::GetFileInformationByHandle(object, &information))
        return false;
    return !Win32xx::ReachedThroughLink(information.dwFileAttributes, Win32xx::FinalPathOf(object),
                                        m_finalPath + fullPath.substr(m_fullPath.size()));
}

bool WorkFolder::HoldsFolder(const Win32xx::CString& relative) const
{
    const HANDLE opened = ::CreateFileW((m_path + L"\\" + relative).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return false;
    const Win32xx::CScopedHandle folder(opened);
    return Holds(folder.Get(), relative);
}
