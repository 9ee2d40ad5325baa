// UnzipTask: extracts every entry of one zip archive into a fresh GUID folder
// under the temporary folder, reports progress in percent of entries, and
// leaves the folder's path (no trailing separator) as its string result.
#pragma once

#include <optional>
#include <vector>

#include "AbstractTaskBase.h"
#include "ArchiveSignature.h"
#include "WorkFolder.h"
#include "ZipReader.h"

class UnzipTask : public AbstractTaskBase {
public:
    // The size of the one buffer that every entry is decoded through.
    static constexpr unsigned kBufferSize = 500000;

    // The owner sets the archive path (SetArchivePath) before Start.
    explicit UnzipTask(Win32xx::CWnd* notifyWindow);
    ~UnzipTask() override;

    Win32xx::CString GetDescription() const override;
    void SetArchivePath(const Win32xx::CString& path) { m_archivePath = path; }
    const Win32xx::CString& GetArchivePath() const noexcept { return m_archivePath; }
    // From now on only an archive that one of `keys` signed is extracted
    // (none at all when `keys` is empty); without keys any archive is.
    void SetTrustedKeys(std::vector<ArchivePublicKey> keys) { m_trustedKeys = std::move(keys); }

protected:
    BOOL OnStart() override;
    // The extraction; reports its own failures. Returns TRUE on success.
    BOOL Unzip();

private:
    // Extracts entry `index` of `entryCount`; reports a failure and returns
    // false.
    bool ExtractEntry(ZipArchive* zip, int index, int entryCount, const WorkFolder& folder, unsigned char* buffer);
    // Decodes a file entry into `relative` inside `folder` chunk by chunk;
    // returns ZIP_OK or the decoding error. A file that is not decoded whole
    // is removed; file errors, and a file reached through a link, raise
    // Win32xx::CFileException.
    ZipStatus ExtractFile(ZipArchive* zip, const ZipEntry& entry, const WorkFolder& folder,
                          const Win32xx::CString& relative, unsigned char* buffer);

    Win32xx::CString m_archivePath;
    std::optional<std::vector<ArchivePublicKey>> m_trustedKeys;
};
