#include "MappedZipFile.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "ScopedHandle.h"

namespace {

// One open archive: the file, its mapping and the reading position.
class MappedZipFile {
public:
    // False when the file cannot be opened or mapped (an empty file cannot).
    bool Open(const wchar_t* path)
    {
        const HANDLE file =
            ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        m_file.Reset(file);
        LARGE_INTEGER size;
        if (!::GetFileSizeEx(m_file.Get(), &size) || size.QuadPart <= 0)
            return false;
        m_mapping.Reset(::CreateFileMappingW(m_file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (!m_mapping)
            return false;
        m_view.reset(static_cast<const unsigned char*>(::MapViewOfFile(m_mapping.Get(), FILE_MAP_READ, 0, 0, 0)));
        m_size = static_cast<ZPOS64_T>(size.QuadPart);
        return m_view != nullptr;
    }

    uLong Read(void* buffer, uLong count)
    {
        const ZPOS64_T available = m_position < m_size ? m_size - m_position : 0;
        const auto copied = static_cast<uLong>(std::min<ZPOS64_T>(count, available));
        if (copied)
            std::memcpy(buffer, m_view.get() + m_position, copied);
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
    struct Unmap {
        void operator()(const unsigned char* view) const noexcept { ::UnmapViewOfFile(view); }
    };

    ScopedHandle m_file;
    ScopedHandle m_mapping;
    std::unique_ptr<const unsigned char, Unmap> m_view;
    ZPOS64_T m_size = 0;
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
    auto file = std::make_unique<MappedZipFile>();
    return file->Open(static_cast<const wchar_t*>(path)) ? file.release() : nullptr;
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
