#include "BenchSupport.h"

#include <zlib.h>
#include <unzip.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "TaskTestSupport.h"
#include "support/BuildAddress.h"
#include "support/Files.h"
#include "tasks/MappedFile.h"
#include "tasks/MappedZipFile.h"

namespace bench {

double Now()
{
    static const double frequency = [] {
        LARGE_INTEGER value;
        ::QueryPerformanceFrequency(&value);
        return static_cast<double>(value.QuadPart);
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / frequency;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

bool UsesOwnPort(const char* benchmark)
{
    // The test suite's and the demo's port: never a benchmark's.
    constexpr unsigned short kSharedPort = 47800;
    const unsigned short port = testing_support::ArchivePort();
    if (port != kSharedPort)
        return true;
    std::printf("%s: this build serves its archive on port %u, the tests' and the demo's port;\n"
                "configure the benchmark's build with another SETUP_RESOURCE_ARCHIVE_URL\n", benchmark, port);
    return false;
}

std::string Megabytes(double bytes)
{
    return Format("%.1f MB", bytes / 1e6);
}

void Table::Figure(const std::string& label, double median, const std::vector<double>& runs, const std::string& unit)
{
    std::string row = label;
    row.resize(std::max<size_t>(row.size(), 46), ' ');
    row += Format("%12.3f ", median) + unit;
    std::string single = runs.empty() ? "" : "   runs:";
    for (const double run : runs)
        single += Format(" %.3f", run);
    m_rows.push_back(row + single);
}

void Table::Ratio(const std::string& label, double ratio, double goal)
{
    std::string row = label;
    row.resize(std::max<size_t>(row.size(), 46), ' ');
    row += Format("%12.3f", ratio);
    if (goal > 0) {
        const bool met = ratio >= goal;
        m_allMet = m_allMet && met;
        row += Format("   goal >= %.2f", goal) + (met ? "   MET" : "   NOT MET");
    } else {
        row += "   (no goal)";
    }
    m_rows.push_back(row);
}

void Table::Threshold(const std::string& label, double value, double goal, const std::string& unit)
{
    std::string row = label;
    row.resize(std::max<size_t>(row.size(), 46), ' ');
    const bool met = value >= goal;
    m_allMet = m_allMet && met;
    row += Format("%12.0f ", value) + unit + Format("   goal >= %.0f ", goal) + unit + (met ? "   MET" : "   NOT MET");
    m_rows.push_back(row);
}

void Table::Ceiling(const std::string& label, double value, double goal, const std::string& unit)
{
    std::string row = label;
    row.resize(std::max<size_t>(row.size(), 46), ' ');
    const bool met = value <= goal;
    m_allMet = m_allMet && met;
    row += Format("%12.3f ", value) + unit + Format("   goal <= %.3f ", goal) + unit + (met ? "   MET" : "   NOT MET");
    m_rows.push_back(row);
}

void Table::Print() const
{
    std::printf("\n== %s ==\n", m_title.c_str());
    for (const std::string& note : m_notes)
        std::printf("  %s\n", note.c_str());
    for (const std::string& row : m_rows)
        std::printf("  %s\n", row.c_str());
    std::fflush(stdout);
}

void TaskWindow::Reset()
{
    m_finished = false;
    m_failed = false;
    m_progress = 0;
    m_error.clear();
}

LRESULT TaskWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case UWM_TASK_PROGRESS:
        ++m_progress;
        return 0;
    case UWM_TASK_ERROR: {
        // The receiver owns the text.
        const auto* text = reinterpret_cast<std::wstring*>(lParam);
        m_error = *text;
        delete text;
        m_failed = true;
        return 0;
    }
    case UWM_TASK_FINISHED:
        m_finished = true;
        return 0;
    default:
        return CWnd::WndProc(message, wParam, lParam);
    }
}

double RunTask(AbstractTaskBase& task, TaskWindow& window, DWORD timeoutMs)
{
    window.Reset();
    const double begin = Now();
    if (!task.Start())
        return -1.0;
    // Sleeps until a message arrives, as a dialog's message loop does: the
    // window's state changes only when it handles one, and a loop that woke
    // on a timer would take time from the worker that the program never takes.
    if (!testing_support::PumpUntil([&] { return window.Ended(); }, timeoutMs, INFINITE))
        return -1.0;
    const double seconds = Now() - begin;
    return window.Finished() ? seconds : -1.0;
}

namespace {

unsigned Get16(const unsigned char* p)
{
    return p[0] | (p[1] << 8);
}

unsigned long Get32(const unsigned char* p)
{
    return Get16(p) | (static_cast<unsigned long>(Get16(p + 2)) << 16);
}

class Mapping {
public:
    explicit Mapping(const std::wstring& path)
    {
        m_file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_file == INVALID_HANDLE_VALUE)
            return;
        LARGE_INTEGER size;
        ::GetFileSizeEx(m_file, &size);
        m_size = static_cast<size_t>(size.QuadPart);
        m_mapping = ::CreateFileMappingW(m_file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (m_mapping)
            m_view = static_cast<const unsigned char*>(::MapViewOfFile(m_mapping, FILE_MAP_READ, 0, 0, 0));
    }
    ~Mapping()
    {
        if (m_view)
            ::UnmapViewOfFile(m_view);
        if (m_mapping)
            ::CloseHandle(m_mapping);
        if (m_file != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_file);
    }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;

    const unsigned char* Data() const noexcept { return m_view; }
    size_t Size() const noexcept { return m_size; }

private:
    HANDLE m_file = INVALID_HANDLE_VALUE;
    HANDLE m_mapping = nullptr;
    const unsigned char* m_view = nullptr;
    size_t m_size = 0;
};

// Walks the local headers of an archive in memory and hands each entry's
// name, method, CRC and data to `entry`; false on a malformed archive or when
// `entry` fails.
template <typename EntryFunction>
bool ForEachEntry(const unsigned char* data, size_t size, EntryFunction entry)
{
    size_t offset = 0;
    while (offset + 30 <= size && Get32(data + offset) == 0x04034B50) {
        const unsigned char* header = data + offset;
        const unsigned method = Get16(header + 8);
        const unsigned long crc = Get32(header + 14);
        const size_t compressed = Get32(header + 18);
        const size_t uncompressed = Get32(header + 22);
        const size_t nameLength = Get16(header + 26);
        const size_t extraLength = Get16(header + 28);
        const size_t start = offset + 30 + nameLength + extraLength;
        if ((Get16(header + 6) & 0x9) != 0 || start + compressed > size)
            return false;
        const std::string name(reinterpret_cast<const char*>(header + 30), nameLength);
        if (!entry(name, method, crc, data + start, compressed, uncompressed))
            return false;
        offset = start + compressed;
    }
    return true;
}

// Inflates (method 8) or copies (method 0) one entry through `buffer`,
// handing each filled piece to `sink`; checks size and CRC.
template <typename Sink>
bool DecodeEntry(unsigned method, unsigned long crc, const unsigned char* data, size_t compressed,
                 size_t uncompressed, std::vector<unsigned char>& buffer, Sink sink)
{
    unsigned long actualCrc = crc32(0, nullptr, 0);
    size_t produced = 0;
    if (method == 0) {
        for (size_t done = 0; done < compressed;) {
            const size_t piece = std::min(buffer.size(), compressed - done);
            std::memcpy(buffer.data(), data + done, piece);
            actualCrc = crc32(actualCrc, buffer.data(), static_cast<uInt>(piece));
            if (!sink(buffer.data(), piece))
                return false;
            done += piece;
        }
        produced = compressed;
    } else if (method == 8) {
        z_stream stream{};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
            return false;
        stream.next_in = const_cast<Bytef*>(data);
        stream.avail_in = static_cast<uInt>(compressed);
        int result = Z_OK;
        while (result != Z_STREAM_END) {
            stream.next_out = buffer.data();
            stream.avail_out = static_cast<uInt>(buffer.size());
            result = inflate(&stream, Z_NO_FLUSH);
            if (result != Z_OK && result != Z_STREAM_END) {
                inflateEnd(&stream);
                return false;
            }
            const size_t piece = buffer.size() - stream.avail_out;
            if (piece == 0 && result != Z_STREAM_END) {
                inflateEnd(&stream);
                return false;
            }
            actualCrc = crc32(actualCrc, buffer.data(), static_cast<uInt>(piece));
            produced += piece;
            if (piece && !sink(buffer.data(), piece)) {
                inflateEnd(&stream);
                return false;
            }
        }
        inflateEnd(&stream);
    } else {
        return false;
    }
    return produced == uncompressed && actualCrc == crc;
}

}  // namespace

BareResult BareExtract(const std::wstring& archive, const std::wstring& folder, unsigned bufferSize, bool flush)
{
    BareResult result;
    const Mapping mapping(archive);
    if (!mapping.Data())
        return result;
    std::vector<unsigned char> buffer(bufferSize);
    result.ok = ForEachEntry(mapping.Data(), mapping.Size(),
        [&](const std::string& name, unsigned method, unsigned long crc, const unsigned char* data,
            size_t compressed, size_t uncompressed) {
            std::wstring path = folder + L"\\" + testing_support::Widen(name);
            std::replace(path.begin(), path.end(), L'/', L'\\');
            if (!name.empty() && name.back() == '/') {
                path.pop_back();
                return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
            }
            const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE)
                return false;
            const bool decoded = DecodeEntry(method, crc, data, compressed, uncompressed, buffer,
                [&](const unsigned char* bytes, size_t count) {
                    DWORD written = 0;
                    return ::WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr) && written == count;
                });
            if (flush)
                ::FlushFileBuffers(file);
            ::CloseHandle(file);
            result.bytes += uncompressed;
            ++result.files;
            return decoded;
        });
    return result;
}

BareResult MinizipExtract(const std::wstring& archive, const std::wstring& folder, unsigned bufferSize)
{
    BareResult result;
    MappedFile file;
    if (!file.Open(archive.c_str()))
        return result;
    zlib_filefunc64_def functions;
    FillMappedZipFileFunctions(functions);
    const unzFile zip = unzOpen2_64(&file, &functions);
    if (!zip)
        return result;
    std::vector<unsigned char> buffer(bufferSize);
    bool ok = unzGoToFirstFile(zip) == UNZ_OK;
    while (ok) {
        unz_file_info64 info;
        char name[1024];
        ok = unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK;
        if (!ok)
            break;
        std::wstring path = folder + L"\\" + testing_support::Widen(name);
        std::replace(path.begin(), path.end(), L'/', L'\\');
        if (path.back() == L'\\') {
            path.pop_back();
            ::CreateDirectoryW(path.c_str(), nullptr);
        } else {
            const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr);
            ok = file != INVALID_HANDLE_VALUE && unzOpenCurrentFile(zip) == UNZ_OK;
            int read = 0;
            while (ok && (read = unzReadCurrentFile(zip, buffer.data(), bufferSize)) > 0) {
                DWORD written = 0;
                ok = ::WriteFile(file, buffer.data(), static_cast<DWORD>(read), &written, nullptr) &&
                     written == static_cast<DWORD>(read);
                result.bytes += static_cast<unsigned>(read);
            }
            // Closing the entry checks its CRC.
            ok = ok && read == 0 && unzCloseCurrentFile(zip) == UNZ_OK;
            if (file != INVALID_HANDLE_VALUE) {
                ::FlushFileBuffers(file);
                ::CloseHandle(file);
            }
            ++result.files;
        }
        const int next = unzGoToNextFile(zip);
        if (next == UNZ_END_OF_LIST_OF_FILE)
            break;
        ok = ok && next == UNZ_OK;
    }
    unzClose(zip);
    result.ok = ok;
    return result;
}

BareResult BareInflateToMemory(const std::string& archive, unsigned bufferSize)
{
    BareResult result;
    std::vector<unsigned char> buffer(bufferSize);
    result.ok = ForEachEntry(reinterpret_cast<const unsigned char*>(archive.data()), archive.size(),
        [&](const std::string& name, unsigned method, unsigned long crc, const unsigned char* data,
            size_t compressed, size_t uncompressed) {
            if (!name.empty() && name.back() == '/')
                return true;
            result.bytes += uncompressed;
            ++result.files;
            return DecodeEntry(method, crc, data, compressed, uncompressed, buffer,
                               [](const unsigned char*, size_t) { return true; });
        });
    return result;
}

std::string MixedBytes(size_t size, unsigned long long seed)
{
    static const char kAlphabet[] = "etaoinshrdlucmfw";
    std::string out(size, '\0');
    unsigned long long state = seed * 0x9E3779B97F4A7C15ull + 1;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    constexpr size_t kBlock = 4096;
    for (size_t block = 0; block * kBlock < size; ++block) {
        const size_t begin = block * kBlock;
        const size_t end = std::min(size, begin + kBlock);
        const bool text = block % 2 == 1;
        for (size_t at = begin; at < end;) {
            unsigned long long value = next();
            for (int part = 0; part < 8 && at < end; ++part, ++at) {
                const unsigned char byte = static_cast<unsigned char>(value >> (part * 8));
                out[at] = text ? kAlphabet[byte & 15] : static_cast<char>(byte);
            }
        }
    }
    return out;
}

std::wstring NewFolder(const std::wstring& parent, const std::wstring& name)
{
    const std::wstring path = parent + L"\\" + name;
    testing_support::RemoveTree(path);
    ::CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

unsigned long long FolderBytes(const std::wstring& folder)
{
    unsigned long long total = 0;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            total += FolderBytes(folder + L"\\" + name);
        else
            total += (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return total;
}

}  // namespace bench
