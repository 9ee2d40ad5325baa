#include "ArchiveCases.h"

#include <algorithm>
#include <iterator>
#include <random>

#include "Corpus.h"
#include "Mutations.h"
#include "ZipBuilder.h"

using testing_support::ZipItem;

namespace robustness {

namespace {

const char* const kOrdinaryFolders[] = {"data/", "data/sub/", "docs/", "caf\xC3\xA9/"};
const char* const kOrdinaryFiles[] = {"readme.txt", "data/a.bin", "data/sub/b.txt", "docs/c.html",
                                      "caf\xC3\xA9/\xE2\x82\xAC.txt", "resources.db", "UPPER.TXT", "upper.txt"};

std::vector<std::string> HostileNames(const std::string& escapeTarget)
{
    std::string forward = escapeTarget;
    for (char& ch : forward)
        ch = ch == '\\' ? '/' : ch;
    return {
        "../escaped.txt", "..\\escaped.txt", "a/../../escaped.txt", "a\\..\\..\\escaped.txt", "../../../escaped.txt",
        "/escaped.txt", "\\escaped.txt", "C:/escaped.txt", "C:escaped.txt", "C:..\\escaped.txt",
        "escaped.txt:stream", "data/x.txt::$DATA", "CON", "nul", "NUL.txt", "aux", "com1", "COM1.log", "lpt1",
        "prn.txt", "CONIN$", "CONOUT$", "nul .txt", "data/nul", "Con.", "...", "..", ". .", ".. ", "./x.txt",
        "a/./b.txt", " ", "", "/", "//", "a//b.txt", "x*.txt", "q?.txt", "<x>", "|", "\"q\"", "\x01" "ctl.txt",
        "\xFF\xFE" "bad.txt", "\xC0\xAF..\xC0\xAF" "escaped.txt", std::string("a\0../../escaped.txt", 19),
        std::string("..\0/x.txt", 9), "\\\\?\\C:\\escaped.txt", "\\\\.\\nul", "//?/C:/escaped.txt",
        "\\\\?\\" + escapeTarget + "\\escaped.txt", escapeTarget + "\\escaped.txt", forward + "/escaped.txt",
        escapeTarget.substr(2) + "\\escaped.txt", std::string(300, 'n') + ".txt", "dots.../x.txt", "trail. /x",
    };
}

std::string DeepName(std::mt19937& random)
{
    std::string name;
    for (size_t level = 0, depth = 1 + Below(random, 150); level < depth; ++level)
        name += "d/";
    return name + "f.txt";
}

std::string PickName(std::mt19937& random, const std::vector<std::string>& hostile)
{
    switch (Below(random, 10)) {
    case 0:
    case 1:
        return hostile[Below(random, hostile.size())];
    case 2:
        return kOrdinaryFolders[Below(random, std::size(kOrdinaryFolders))];
    case 3:
        return DeepName(random);
    default:
        return kOrdinaryFiles[Below(random, std::size(kOrdinaryFiles))];
    }
}

ZipItem MakeItem(std::mt19937& random, const std::string& name, unsigned seed, size_t index)
{
    if (!name.empty() && name.back() == '/')
        return ZipItem::Folder(name);
    // Large entries span several decoding buffers; they are rare, as they are slow.
    const size_t size = Chance(random, 2) ? 500000 + Below(random, 700000) : Below(random, 3000);
    ZipItem item = ZipItem::File(name, testing_support::PatternBytes(size, seed * 16 + static_cast<unsigned>(index)));
    if (Chance(random, 30))
        item.method = ZipItem::Stored;
    item.wrongCrc = Chance(random, 3);
    item.brokenDeflate = Chance(random, 3);
    item.encrypted = Chance(random, 3);
    return item;
}

// Adds a folder entry for each parent folder of `name` that has none yet.
void AddParentFolders(std::vector<ZipItem>& items, const std::string& name)
{
    for (size_t slash = name.find('/'); slash != std::string::npos && slash + 1 < name.size();
         slash = name.find('/', slash + 1)) {
        const std::string folder = name.substr(0, slash + 1);
        const bool listed = std::any_of(items.begin(), items.end(), [&](const ZipItem& item) { return item.name == folder; });
        if (!listed)
            items.push_back(ZipItem::Folder(folder));
    }
}

// The offsets of every record that starts with signature `kind` (1: central
// directory, 3: local header, 5: end record).
std::vector<size_t> Records(const std::string& bytes, char kind)
{
    std::vector<size_t> offsets;
    const std::string signature{'P', 'K', kind, static_cast<char>(kind + 1)};
    for (size_t at = bytes.find(signature); at != std::string::npos; at = bytes.find(signature, at + 1))
        offsets.push_back(at);
    return offsets;
}

// Sets one to three header fields to edge values: counts, sizes, offsets,
// name lengths, flags and methods, or a byte of a stored name.
void MutateHeaders(std::string& bytes, std::mt19937& random)
{
    struct Field {
        char record;
        size_t offset;
        size_t width;
    };
    static const Field kFields[] = {
        {1, 8, 2},  {1, 10, 2}, {1, 16, 4}, {1, 20, 4}, {1, 24, 4}, {1, 28, 2}, {1, 30, 2}, {1, 32, 2},
        {1, 34, 2}, {1, 42, 4}, {1, 46, 1}, {3, 6, 2},  {3, 8, 2},  {3, 18, 4}, {3, 22, 4}, {3, 26, 2},
        {3, 28, 2}, {5, 4, 2},  {5, 8, 2},  {5, 10, 2}, {5, 12, 4}, {5, 16, 4}, {5, 20, 2},
    };
    for (size_t change = 0, changes = 1 + Below(random, 3); change < changes; ++change) {
        const Field& field = kFields[Below(random, std::size(kFields))];
        const std::vector<size_t> records = Records(bytes, field.record);
        if (!records.empty())
            MutateField(bytes, records[Below(random, records.size())] + field.offset, field.width, random);
    }
}

std::string Damage(std::string& bytes, std::mt19937& random)
{
    switch (Below(random, 20)) {
    case 0:
    case 1:
    case 2:
    case 3:
        return "well-formed";
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
        MutateBytes(bytes, random, 1 + static_cast<int>(Below(random, 8)));
        return "bytes changed";
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
        MutateHeaders(bytes, random);
        return "header fields changed";
    case 17:
        bytes.resize(Below(random, bytes.size() + 1));
        return "truncated";
    case 18:
        bytes.insert(0, RandomBytes(random, 1 + Below(random, 300)));
        return "bytes in front";
    default:
        bytes += RandomBytes(random, 1 + Below(random, 300));
        return "bytes after the end";
    }
}

}  // namespace

ArchiveCase MakeArchiveCase(unsigned seed, const std::string& escapeTarget)
{
    std::mt19937 random(seed);
    const std::vector<std::string> hostile = HostileNames(escapeTarget);
    std::vector<ZipItem> items;
    for (size_t index = 0, count = Below(random, 8); index < count; ++index) {
        const std::string name = PickName(random, hostile);
        // Mostly each folder comes before what it holds, as zip tools write it.
        if (Chance(random, 70))
            AddParentFolders(items, name);
        items.push_back(MakeItem(random, name, seed, index));
    }

    ArchiveCase archive;
    // A folder entry holds no data; a damaged name can make it a file.
    for (const ZipItem& item : items)
        archive.contents.push_back(item.content);
    archive.bytes = testing_support::BuildZip(items);
    archive.mutation = Damage(archive.bytes, random);
    return archive;
}

}  // namespace robustness
