// The file functions through which minizip reads an archive from a file that
// is already mapped into memory (MappedFile). minizip reads its archive in
// many small pieces (headers) and large ones (compressed data); from a
// mapping each is a copy, where each would otherwise be a system call, and
// what it reads is what the caller may have checked before.
#pragma once

#include <ioapi.h>

// Fills `functions` for unzOpen2_64, whose "path" argument is then a
// `const MappedFile*` that stays open while the archive is. Writing is
// refused.
void FillMappedZipFileFunctions(zlib_filefunc64_def& functions);
