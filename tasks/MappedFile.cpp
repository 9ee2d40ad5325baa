#include "MappedFile.h"

bool MappedFile::Open(const wchar_t* path)
{
    const HANDLE file =
        ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    m_file.Reset(file);
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(m_file.Get(), &size) || size.QuadPart <= 0 ||
        static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX)
        return false;
    m_mapping.Reset(::CreateFileMappingW(m_file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!m_mapping)
        return false;
    m_view.reset(static_cast<const unsigned char*>(::MapViewOfFile(m_mapping.Get(), FILE_MAP_READ, 0, 0, 0)));
    if (!m_view)
        return false;
    m_size = static_cast<std::size_t>(size.QuadPart);
    return true;
}
