#include "Build.h"

#include "ContentReader.h"
#include "DatabaseWriter.h"
#include "ZipWriter.h"
#include "resources/ResourceContract.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace content {

namespace {

constexpr const char* kArchiveName = "resources.zip";

// A file under construction next to its target: removed again unless it
// was put in place.
class TemporaryFile {
public:
    explicit TemporaryFile(const fs::path& target) : target_(target), path_(target)
    {
        path_ += ".partial";
        std::error_code ignored;
        fs::remove(path_, ignored);  // left over by a killed run
    }
    ~TemporaryFile()
    {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const fs::path& path() const { return path_; }
    const fs::path& target() const { return target_; }

private:
    fs::path target_;
    fs::path path_;
};

// Puts the database and then the archive in place. When the archive cannot
// be put in Place (a locked file on Windows, say), the earlier database is
// restored, so that the two outputs always belong together.
void PutInPlace(const TemporaryFile& database, const TemporaryFile& archive)
{
    fs::path backup = database.target();
    backup += ".previous";
    std::error_code ignored;
    fs::remove(backup, ignored);
    const bool hadDatabase = fs::is_regular_file(database.target());
    if (hadDatabase) {
        fs::rename(database.target(), backup);
    }
    try {
        fs::rename(database.path(), database.target());
        fs::rename(archive.path(), archive.target());
    } catch (...) {
        if (hadDatabase) {
            fs::rename(backup, database.target(), ignored);
        } else {
            fs::remove(database.target(), ignored);
        }
        throw;
    }
    fs::remove(backup, ignored);
}

void WriteAll(const fs::path& path, const std::string& bytes)
{
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    stream.close();
    if (!stream) {
        throw std::runtime_error("cannot write " + path.u8string());
    }
}

// The entries' date: SOURCE_DATE_EPOCH (seconds since 1970) when the
// environment sets it, in UTC, so that the same content gives the same
// archive wherever and whenever it is built; otherwise now, in local time,
// as zip tools show it.
std::tm ArchiveDate()
{
    const char* const epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch && *epoch) {
        char* end = nullptr;
        const long long seconds = std::strtoll(epoch, &end, 10);
        if (*end != '\0' || seconds < 0) {
            throw std::runtime_error("SOURCE_DATE_EPOCH must be a number of seconds since 1970");
        }
        const auto moment = static_cast<std::time_t>(seconds);
        return *std::gmtime(&moment);
    }
    const std::time_t now = std::time(nullptr);
    return *std::localtime(&now);
}

}  // namespace

std::string ReadAll(const fs::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (!stream.good() && !stream.eof()) {
        throw std::runtime_error("cannot read " + path.u8string());
    }
    return bytes;
}


void BuildContent(const Content& content, const fs::path& outFolder, const ArchiveSigner& sign)
{
    fs::create_directories(outFolder);
    TemporaryFile database(outFolder / Resource::kDatabaseFileName);
    TemporaryFile archive(outFolder / kArchiveName);
    WriteDatabase(content, database.path());
    ZipEntry entry;
    entry.name = Resource::kDatabaseFileName;
    entry.bytes = ReadAll(database.path());
    WriteZip(archive.path(), {entry}, ArchiveDate());
    if (sign) {
        WriteAll(archive.path(), sign(ReadAll(archive.path())));
    }
    PutInPlace(database, archive);
}

void WriteDependencies(const Content& content, const fs::path& target, const fs::path& depfile)
{
    auto escaped = [](const std::string& path) {
        std::string text;
        for (const char c : path) {
            text += c == ' ' || c == '#' ? std::string("\\") + c : c == '$' ? std::string("$$") : std::string(1, c);
        }
        return text;
    };
    std::string rule = escaped(fs::absolute(target).lexically_normal().u8string()) + ":";
    for (const std::string& input : content.inputs) {
        rule += " \\\n " + escaped(input);
    }
    WriteAll(depfile, rule + "\n");
}

void SignArchiveFile(const fs::path& archivePath, const ArchiveSigner& sign)
{
    TemporaryFile archive(archivePath);
    WriteAll(archive.path(), sign(ReadAll(archivePath)));
    fs::rename(archive.path(), archive.target());
}

}  // namespace content
