#include "DatabaseFiles.h"

#include <algorithm>
#include <iterator>

#include "Corpus.h"
#include "Mutations.h"
#include "TestDatabase.h"

namespace robustness {

namespace {

// SQLite keeps the page size in bytes 16 and 17 of the header, big-endian;
// the value 1 means 65536.
size_t PageSize(const std::string& bytes)
{
    if (bytes.size() < 100)
        return 4096;
    const size_t size = (static_cast<unsigned char>(bytes[16]) << 8) | static_cast<unsigned char>(bytes[17]);
    return size == 1 ? 65536 : (size < 512 ? 4096 : size);
}

// Fields of the 100-byte header: page size, format versions, page count,
// free list, schema cookie and format, text encoding, and so on.
void DamageHeader(std::string& bytes, std::mt19937& random)
{
    static const size_t kOffsets[] = {16, 18, 19, 20, 21, 24, 28, 32, 36, 40, 44, 48, 52, 56, 60, 64, 92, 96};
    const size_t offset = kOffsets[Below(random, std::size(kOffsets))];
    MutateField(bytes, offset, offset == 18 || offset == 19 || offset == 20 || offset == 21 ? 1 : 2, random);
}

}  // namespace

void BuildBaseDatabase(const std::wstring& path, const std::string& picture)
{
    TestDatabase database(path);
    database.Execute("PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY; BEGIN;");
    database.AddLanguage("0", "Neutral", "", "", 0);
    database.AddLanguage("1033", "English", "English", "EN", 0);
    database.AddLanguage("1031", "Deutsch", "German", "DE", 0);
    database.AddLanguage("1037", "\xD7\xA2\xD7\x91\xD7\xA8\xD7\x99\xD7\xAA", "Hebrew", "HE", 1);
    database.AddText("0", 58, "Kestrafin");
    database.AddText("0", 166, "%OFFER%");
    database.AddText("0", 168, "[[%OFFER%:$1]]");
    for (const char* code : {"1033", "1031", "1037"}) {
        const std::string language(code);
        database.AddText(code, 1, "Skip " + language);
        database.AddText(code, 9, "Welcome to $(^Name) ($(^LangID), $(^LangAbrev))$\\r$\\nPress $(^NextBtn). \\");
        database.AddText(code, 10, std::string(3000, 'x') + " " + language);
        database.AddText(code, 78, "Next " + language);
        database.AddText(code, 38, "{\"h\":\"Offer " + language + "\",\"t1\":\"Title\",\"i2\":\"\"}");
        database.AddText(code, 40, "<html>[[offer:h]] [[offer:t1]] [[offer:i2]]</html>");
    }
    for (const int id : {25, 26, 27, 28, 239, 240, 241})
        database.AddPicture("0", id, picture);
    database.Execute("COMMIT;");
}

std::string DamageDatabaseFile(std::string& bytes, std::mt19937& random)
{
    const size_t pageSize = PageSize(bytes);
    const size_t pages = std::max<size_t>(1, bytes.size() / pageSize);
    const size_t page = Below(random, pages) * pageSize;
    switch (Below(random, 8)) {
    case 0:
    case 1:
        for (size_t flips = 1 + Below(random, 16); flips > 0 && !bytes.empty(); --flips) {
            const size_t at = std::min(bytes.size() - 1, page + Below(random, pageSize));
            bytes[at] = static_cast<char>(bytes[at] ^ (1u << Below(random, 8)));
        }
        return "bits flipped in a page";
    case 2:
        std::fill(bytes.begin() + static_cast<long>(std::min(page, bytes.size())),
                  bytes.begin() + static_cast<long>(std::min(page + pageSize, bytes.size())), '\0');
        return "page zeroed";
    case 3: {
        const std::string noise = RandomBytes(random, pageSize);
        bytes.replace(std::min(page, bytes.size()), pageSize, noise);
        return "page of random bytes";
    }
    case 4: {
        const size_t source = Below(random, pages) * pageSize;
        const std::string copy = bytes.substr(source, pageSize);
        bytes.replace(std::min(page, bytes.size()), copy.size(), copy);
        return "page copied over another";
    }
    case 5:
        DamageHeader(bytes, random);
        return "header field changed";
    case 6:
        bytes.resize(Chance(random, 50) ? page : Below(random, bytes.size() + 1));
        return "cut short";
    default:
        MutateBytes(bytes, random, 1 + static_cast<int>(Below(random, 6)));
        return "bytes changed";
    }
}

}  // namespace robustness
