#include "ZipReader.h"

#include <unzip.h>

#include <vector>

#include "MappedFile.h"
#include "MappedZipFile.h"
#include "ZipEntryName.h"
#include "framework/Utf8.h"

struct ZipArchive {
    // Null for an archive without entries (see IsEmptyArchive).
    unzFile file = nullptr;
    // The entry that minizip points at, -1 before the first move.
    int current = -1;
    // The entry open for decoding, -1 when none.
    int open = -1;
    ZPOS64_T decoded = 0;
    ZPOS64_T expectedSize = 0;
    // The file that OpenZip(path) opened; the caller's file otherwise.
    std::unique_ptr<MappedFile> ownedFile;
};

namespace {

void CloseOpenEntry(ZipArchive& zip)
{
    if (zip.open >= 0)
        unzCloseCurrentFile(zip.file);
    zip.open = -1;
}

// Points minizip at entry `index`, stepping forwards from where it is or
// from the first entry.
bool GoToEntry(ZipArchive& zip, int index)
{
    if (zip.current == index)
        return true;
    CloseOpenEntry(zip);
    if (zip.current < 0 || index < zip.current) {
        if (unzGoToFirstFile(zip.file) != UNZ_OK)
            return false;
        zip.current = 0;
    }
    while (zip.current < index) {
        if (unzGoToNextFile(zip.file) != UNZ_OK) {
            zip.current = -1;
            return false;
        }
        ++zip.current;
    }
    return true;
}

bool CurrentEntryInfo(ZipArchive& zip, unz_file_info64& info, std::string& storedName)
{
    if (unzGetCurrentFileInfo64(zip.file, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    std::vector<char> name(info.size_filename + 1);
    if (unzGetCurrentFileInfo64(zip.file, &info, name.data(), static_cast<uLong>(name.size()), nullptr, 0, nullptr,
                                0) != UNZ_OK)
        return false;
    storedName.assign(name.data(), info.size_filename);
    return true;
}

// Opens entry `index` for decoding.
ZipStatus OpenEntry(ZipArchive& zip, int index)
{
    if (!GoToEntry(zip, index))
        return ZIP_NOT_FOUND;
    unz_file_info64 info;
    std::string storedName;
    if (!CurrentEntryInfo(zip, info, storedName))
        return ZIP_READ;
    // minizip would hand out the encrypted bytes as they are.
    if (info.flag & 1)
        return ZIP_PASSWORD;
    if (unzOpenCurrentFile(zip.file) != UNZ_OK)
        return ZIP_FLATE;
    zip.open = index;
    zip.decoded = 0;
    zip.expectedSize = info.uncompressed_size;
    return ZIP_OK;
}

// Closes the entry whose data has all been decoded and checks it.
ZipStatus FinishEntry(ZipArchive& zip)
{
    const int closed = unzCloseCurrentFile(zip.file);
    zip.open = -1;
    if (closed == UNZ_CRCERROR || zip.decoded != zip.expectedSize)
        return ZIP_CORRUPT;
    return closed == UNZ_OK ? ZIP_OK : ZIP_READ;
}

// True for an archive that is only its end record: no entries, perhaps a
// comment. minizip never looks for the end record at offset 0, so it refuses
// the archive that every zip tool writes for an empty folder.
bool IsEmptyArchive(const MappedFile& file)
{
    constexpr size_t kEndRecordSize = 22;
    const unsigned char* const record = file.Bytes();
    if (file.Size() < kEndRecordSize)
        return false;
    const bool signature = record[0] == 'P' && record[1] == 'K' && record[2] == 5 && record[3] == 6;
    const bool noEntries = (record[8] | record[9] | record[10] | record[11]) == 0;
    const size_t commentLength = record[20] | (record[21] << 8);
    return signature && noEntries && file.Size() == kEndRecordSize + commentLength;
}

}  // namespace

ZipArchive* OpenZip(const MappedFile& file)
{
    zlib_filefunc64_def functions;
    FillMappedZipFileFunctions(functions);
    const unzFile opened = unzOpen2_64(&file, &functions);
    if (!opened)
        return IsEmptyArchive(file) ? new ZipArchive : nullptr;
    auto* zip = new ZipArchive;
    zip->file = opened;
    return zip;
}

ZipArchive* OpenZip(const Win32xx::CString& path)
{
    auto file = std::make_unique<MappedFile>();
    if (!file->Open(path.c_str()))
        return nullptr;
    ZipArchive* zip = OpenZip(*file);
    if (zip)
        zip->ownedFile = std::move(file);
    return zip;
}

ZipStatus GetZipItem(ZipArchive* zip, int index, ZipEntry& entry)
{
    if (!zip)
        return ZIP_ARGS;
    if (index == -1) {
        unz_global_info64 global{};
        if (!zip->file) {
            entry = ZipEntry{};
            entry.index = 0;
            return ZIP_OK;
        }
        if (unzGetGlobalInfo64(zip->file, &global) != UNZ_OK)
            return ZIP_READ;
        entry = ZipEntry{};
        entry.index = static_cast<int>(global.number_entry);
        return ZIP_OK;
    }
    if (index < 0 || !zip->file || !GoToEntry(*zip, index))
        return ZIP_NOT_FOUND;
    unz_file_info64 info;
    std::string storedName;
    if (!CurrentEntryInfo(*zip, info, storedName))
        return ZIP_READ;
    entry.index = index;
    // Names are taken as UTF-8 whatever the entry's flags say.
    entry.storedName = Win32xx::Utf8ToWide(storedName);
    entry.name = MakeEntryNameSafe(entry.storedName);
    entry.uncompressedSize = static_cast<unsigned long>(info.uncompressed_size);
    return ZIP_OK;
}

ZipStatus UnzipItem(ZipArchive* zip, int index, void* buffer, unsigned capacity, unsigned& produced)
{
    produced = 0;
    if (!zip || !buffer || capacity == 0)
        return ZIP_ARGS;
    if (!zip->file)
        return ZIP_NOT_FOUND;
    if (zip->open != index) {
        const ZipStatus opened = OpenEntry(*zip, index);
        if (opened != ZIP_OK)
            return opened;
    }
    auto* const bytes = static_cast<unsigned char*>(buffer);
    while (produced < capacity) {
        const int read = unzReadCurrentFile(zip->file, bytes + produced, capacity - produced);
        if (read < 0) {
            CloseOpenEntry(*zip);
            return read == UNZ_ERRNO ? ZIP_READ : ZIP_FLATE;
        }
        if (read == 0)
            break;
        produced += static_cast<unsigned>(read);
        zip->decoded += static_cast<unsigned>(read);
    }
    // minizip never decodes beyond the declared size, so a full buffer short
    // of that size means more data; anything else is the entry's end.
    if (produced == capacity && zip->decoded < zip->expectedSize)
        return ZIP_MORE;
    return FinishEntry(*zip);
}

ZipStatus CloseZip(ZipArchive* zip)
{
    if (!zip)
        return ZIP_ARGS;
    CloseOpenEntry(*zip);
    const int closed = zip->file ? unzClose(zip->file) : UNZ_OK;
    delete zip;
    return closed == UNZ_OK ? ZIP_OK : ZIP_READ;
}
