#include "UnzipTask.h"

#include <exception>
#include <optional>

#include "MappedFile.h"
#include "TempFolders.h"
#include "WorkFolder.h"
#include "ZipEntryName.h"
#include "framework/Exception.h"
#include "framework/File.h"
#include "framework/Utf8.h"
#include "framework/logging/Logger.h"

namespace {

// ERROR_STOPPED_ON_SYMLINK, which MinGW's headers lack.
constexpr DWORD kStoppedOnLink = 681;

// Removes a file being extracted unless the extraction completed, so that
// no half-decoded file is left behind. Declared before the file object, so
// that the file is closed before it is removed; armed only once the file is
// known to be the folder's own, as removing by path would follow a link.
class PartialFile {
public:
    explicit PartialFile(const Win32xx::CString& path) : m_path(path) {}
    ~PartialFile()
    {
        if (!m_complete)
            ::DeleteFileW(m_path.c_str());
    }
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    void MarkComplete() noexcept { m_complete = true; }

private:
    Win32xx::CString m_path;
    bool m_complete = false;
};

}  // namespace

UnzipTask::UnzipTask(Win32xx::CWnd* notifyWindow) : AbstractTaskBase(notifyWindow) {}

UnzipTask::~UnzipTask()
{
    LOG_INFO << GetDescription() << " Task dstructor : " << GetThreadId();
    Stop();
}

Win32xx::CString UnzipTask::GetDescription() const
{
    Win32xx::CString text;
    text.Format(L"[UnzipTask] File: %s ", m_archivePath.c_str());
    return text;
}

BOOL UnzipTask::OnStart()
{
    try {
        if (!Unzip())
            return FALSE;
    } catch (const std::exception& exception) {
        OnError(Win32xx::Utf8ToWide(exception.what()));
        return FALSE;
    }
    LOG_INFO << "Finish un zip task";
    return TRUE;
}

BOOL UnzipTask::Unzip()
{
    // Held until the extraction has ended: nobody can change the archive
    // between the signature check and the last entry read from it.
    MappedFile archive;
    if (!archive.Open(m_archivePath.c_str())) {
        OnError(L"Can't opne zip file");
        return FALSE;
    }
    if (m_trustedKeys && !ArchiveSignatureVerifies(archive.Bytes(), archive.Size(), *m_trustedKeys)) {
        OnError((L"The downloaded file is damaged or has been altered :" + m_archivePath).str());
        return FALSE;
    }
    ZipArchivePtr zip(OpenZip(archive));
    ZipEntry count;
    if (!zip || GetZipItem(zip.get(), -1, count) != ZIP_OK) {
        OnError(L"Can't opne zip file");
        return FALSE;
    }
    WorkFolder folder;
    if (!folder.Create()) {
        OnError(L"Can't create extraction folder");
        return FALSE;
    }

    // One buffer for every entry, on the worker's stack (1 MiB by default).
    unsigned char buffer[kBufferSize];
    bool extracted = true;
    try {
        for (int index = 0; index < count.index && extracted; ++index)
            extracted = ExtractEntry(zip.get(), index, count.index, folder, buffer);
    } catch (const std::exception& exception) {
        OnError(Win32xx::Utf8ToWide(exception.what()));
        extracted = false;
    }

    if (CloseZip(zip.release()) != ZIP_OK && extracted) {
        OnError(L"Can't close zip file");
        return FALSE;
    }
    if (!extracted)
        return FALSE;
    SetResult(std::make_unique<Any::Derived<Win32xx::CString>>(folder.Path()));
    return TRUE;
}

bool UnzipTask::ExtractEntry(ZipArchive* zip, int index, int entryCount, const WorkFolder& folder,
                             unsigned char* buffer)
{
    ZipEntry entry;
    if (GetZipItem(zip, index, entry) != ZIP_OK) {
        OnError(L"Can't extract zip entry :");
        return false;
    }
    // Checked before anything of the entry is written.
    if (IsUnsafeEntryName(entry.name)) {
        OnError(L"Unsafe entry name in zip file :" + entry.storedName);
        return false;
    }
    const Win32xx::CString name(entry.name);
    if (entry.name.back() == L'/') {
        const Win32xx::CString relative = name.Left(name.GetLength() - 1);
        Win32xx::CString created;
        if (!CreateSubFolder(folder.Path(), relative, created) || !folder.HoldsFolder(relative)) {
            OnError(L"Can't create sub folder");
            return false;
        }
        return true;
    }

    Win32xx::CString path = name;
    path.Replace(L'/', L'\\');
    // Reported once the partial file is gone.
    if (ExtractFile(zip, entry, folder, path, buffer) != ZIP_OK) {
        OnError(L"Can't extract zip entry :" + entry.name);
        return false;
    }
    // Percent of entries: folders count, but only files report.
    SendProgress(static_cast<int>((index + 1) * 100.0 / entryCount));
    return true;
}

ZipStatus UnzipTask::ExtractFile(ZipArchive* zip, const ZipEntry& entry, const WorkFolder& folder,
                                 const Win32xx::CString& relative, unsigned char* buffer)
{
    const Win32xx::CString path = folder.Path() + L"\\" + relative;
    std::optional<PartialFile> partial;
    Win32xx::CFile file(path, Win32xx::CFile::modeCreateReadWrite);
    if (!folder.Holds(file.GetHandle(), relative))
        throw Win32xx::CFileException(path, L"Reached through a link", kStoppedOnLink);
    partial.emplace(path);
    for (;;) {
        // A safe point between chunks: the file is ours, no lock is held.
        WaitWhileSuspended();
        unsigned produced = 0;
        const ZipStatus status = UnzipItem(zip, entry.index, buffer, kBufferSize, produced);
        if (status != ZIP_OK && status != ZIP_MORE)
            return status;
        file.Write(buffer, produced);
        if (status == ZIP_OK)
            break;
    }
    file.Flush();
    file.Close();
    partial->MarkComplete();
    return ZIP_OK;
}
