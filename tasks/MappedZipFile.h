// The file functions through which minizip reads an archive: the archive is
// mapped into memory and read from there. minizip reads its archive in many
// small pieces (headers) and large ones (compressed data); from a mapping
// each is a copy, where each would otherwise be a system call.
#pragma once

#include <ioapi.h>

// Fills `functions` for unzOpen2_64 with a wide-character path. The archive
// is opened read only and shared for reading; an empty file cannot be mapped
// and does not open. Writing is refused.
void FillMappedZipFileFunctions(zlib_filefunc64_def& functions);
