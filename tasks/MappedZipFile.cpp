#include "MappedZipFile.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "MappedFile.h"

namespace {

// A reading position in a mapped archive.
class MappedZipFile {
public:
    explicit MappedZipFile(const MappedFile& file) : m_bytes(file.Bytes()), m_size(file.Size()) {}

    uLong Read(void* buffer, uLong count)
    {
        const ZPOS64_T available = m_position < m_size ? m_size - m_position : 0;
        const auto copied = static_cast<uLong>(std::min<ZPOS64_T>(count, available));
        if (copied)
            std::memcpy(buffer, m_bytes + m_position, copied);
        m_position += copied;
        return copied;
    }

    ZPOS64_T Tell() const noexcept { return m_position; }

    // minizip's convention: 0 on success. As with a file, a position past
    // the end may be set; reading there gives nothing.
    long Seek(ZPOS64_T offset, int origin) noexcept
    {
        ZPOS64_T base = 0;
        if (origin == ZLIB_FILEFUNC_SEEK_CUR)
            base = m_position;
        else if (origin == ZLIB_FILEFUNC_SEEK_END)
            base = m_size;
        else if (origin != ZLIB_FILEFUNC_SEEK_SET)
            return -1;
        // Offsets arrive unsigned; a step backwards wraps around.
        m_position = base + offset;
        return 0;
    }

private:
    const unsigned char* m_bytes;
    ZPOS64_T m_size;
    ZPOS64_T m_position = 0;
};

MappedZipFile* Of(voidpf stream)
{
    return static_cast<MappedZipFile*>(stream);
}

voidpf ZCALLBACK OpenArchive(voidpf, const void* path, int mode)
{
    const int access = mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER;
    if (!path || access != ZLIB_FILEFUNC_MODE_READ)
        return nullptr;
    const auto* file = static_cast<const MappedFile*>(path);
    // minizip is C: nothing may be thrown through it.
    return file->Bytes() ? new (std::nothrow) MappedZipFile(*file) : nullptr;
}

uLong ZCALLBACK ReadArchive(voidpf, voidpf stream, void* buffer, uLong count)
{
    return Of(stream)->Read(buffer, count);
}

uLong ZCALLBACK RefuseWrite(voidpf, voidpf, const void*, uLong)
{
    return 0;
}

ZPOS64_T ZCALLBACK TellArchive(voidpf, voidpf stream)
{
    return Of(stream)->Tell();
}

long ZCALLBACK SeekArchive(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    return Of(stream)->Seek(offset, origin);
}

int ZCALLBACK CloseArchive(voidpf, voidpf stream)
{
    delete Of(stream);
    return 0;
}

int ZCALLBACK NoError(voidpf, voidpf)
{
    return 0;
}

}  // namespace

void FillMappedZipFileFunctions(zlib_filefunc64_def& functions)
{
    functions.zopen64_file = OpenArchive;
    functions.zread_file = ReadArchive;
    functions.zwrite_file = RefuseWrite;
    functions.ztell64_file = TellArchive;
    functions.zseek64_file = SeekArchive;
    functions.zclose_file = CloseArchive;
    functions.zerror_file = NoError;
    functions.opaque = nullptr;
}
