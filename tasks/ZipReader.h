// The program's thin reading layer over minizip: open an archive, step
// through its entries, decode an entry chunk by chunk into a caller's buffer.
// One archive object serves one reader at a time.
#pragma once

#include <memory>
#include <string>

#include "framework/CString.h"

// Outcome of a layer call.
enum ZipStatus : unsigned long {
    ZIP_OK = 0,                 // done: the entry's end was reached
    ZIP_NOT_FOUND = 0x500,      // no entry with that index
    ZIP_MORE = 0x600,           // the buffer was filled and data remains
    ZIP_CORRUPT = 0x700,        // the decoded data fails its CRC or its size
    ZIP_READ = 0x800,           // the archive could not be read
    ZIP_PASSWORD = 0x1000,      // the entry is encrypted
    ZIP_ARGS = 0x10000,         // a null archive or buffer
    ZIP_FLATE = 0x5000000,      // the compressed data cannot be inflated
};

// One archive entry as the layer delivers it.
struct ZipEntry {
    int index = -1;
    // The name as stored, decoded from UTF-8.
    std::wstring storedName;
    // The stored name after MakeEntryNameSafe; folders end with '/'.
    std::wstring name;
    unsigned long uncompressedSize = 0;
};

struct ZipArchive;
class MappedFile;

// Reads the central directory of the open `file`, which must stay open
// until the archive is closed. Null when the file is not a zip archive.
ZipArchive* OpenZip(const MappedFile& file);
// Opens `path` read only (shared for reading) and reads its central
// directory. Null when the file is missing or not a zip archive.
ZipArchive* OpenZip(const Win32xx::CString& path);

// With index -1: the number of entries, in entry.index. Otherwise the entry
// with that index; moving backwards restarts from the first entry.
ZipStatus GetZipItem(ZipArchive* zip, int index, ZipEntry& entry);

// Decodes the next at most `capacity` bytes of entry `index` into `buffer`,
// opening the entry on the first call; `produced` receives the count. Returns
// ZIP_MORE while data remains, ZIP_OK at the entry's end (after its CRC and
// size were checked), or an error.
ZipStatus UnzipItem(ZipArchive* zip, int index, void* buffer, unsigned capacity, unsigned& produced);

// Closes the current entry, the archive and the file; ZIP_OK on success.
ZipStatus CloseZip(ZipArchive* zip);

// Closes an archive that a scope still holds (the outcome is not needed).
struct ZipArchiveCloser {
    void operator()(ZipArchive* zip) const { CloseZip(zip); }
};
using ZipArchivePtr = std::unique_ptr<ZipArchive, ZipArchiveCloser>;
