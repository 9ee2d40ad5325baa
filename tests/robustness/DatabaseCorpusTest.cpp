// Resource databases through ResourceManager. Damaged files: a small
// database shaped like a release's, whose bytes are then changed page by page
// (bits flipped, pages zeroed, filled or copied over others, header fields
// set to edge values, the file cut short); every lookup must return, and a
// file that cannot be read ends in the fatal stop (counted here, see
// FatalStopRecorder.h). Odd rows: sound files whose rows hold invalid or
// unusual UTF-8, NULs inside texts, huge texts, NULL columns, data stored as
// numbers or text, values without their blob, languages whose codes repeat,
// are empty or are no valid UTF-8; they must read exactly as stored.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <set>

#include "Corpus.h"
#include "FatalStopRecorder.h"
#include "Models.h"
#include "TestDatabase.h"
#include "framework/Utf8.h"
#include "resources/LangDefinition.h"
#include "resources/ResourceManager.h"
#include "support/Files.h"

using testing_support::TempFolder;

namespace robustness {

namespace {

// What an odd-rows database holds, for knowing what the program must read.
struct StoredValue {
    std::string code;   // LANG_CODE's bytes
    int id = 0;
    std::string bytes;  // what the blob reads as
    bool dangling = false;  // the value names a blob that does not exist
};

struct OddDatabase {
    // The language table as the program must read it.
    std::map<std::wstring, LangDefinition> languages;
    // Each id's type: the first value stored under an id decides it.
    std::map<int, int> types;
    std::vector<StoredValue> values;

    // What fetchBlob(code, id, type) must give: the value in `code`, else in
    // the neutral language; nothing when neither has it.
    std::optional<std::string> Lookup(const std::wstring& code, int id, int type) const;
    // The ids that values use, and a few that none uses.
    std::vector<int> Ids() const;
};

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

const char* const kCodes[] = {"0", "1033", "1031", "1037", "", "\xFF", "\xC3\xA9", "\xED\xA0\x80", "1033 ", "01033"};
const int kIds[] = {1, 9, 10, 38, 58, 78, 157, 240, 241, 0, -1, 2147483647, -2147483647 - 1};

std::wstring Wide(const char* text)
{
    return text ? Win32xx::Utf8ToWide(text, std::strlen(text)) : std::wstring();
}

const char* OddText(std::mt19937& random)
{
    static const char* const kTexts[] = {nullptr, "", "English", "\xC3", "\xFF\xFE", "\xF4\x90\x80\x80",
                                         "\xD7\xA2\xD7\x91\xD7\xA8\xD7\x99\xD7\xAA", "\xF0\x9D\x84\x9E",
                                         "$(^Name)$(^LangID)"};
    return kTexts[Below(random, std::size(kTexts))];
}

void AddLanguages(TestDatabase& database, OddDatabase& odd, std::mt19937& random)
{
    for (size_t row = 0, rows = 1 + Below(random, 6); row < rows; ++row) {
        const char* code = kCodes[Below(random, std::size(kCodes))];
        const char* native = OddText(random);
        const char* english = OddText(random);
        const char* abbreviation = OddText(random);
        const int rtl = static_cast<int>(Below(random, 4)) - 1;  // NULL, 0, 1, 2
        database.AddLanguage(code, native, english, abbreviation, rtl);
        odd.languages.emplace(Wide(code), LangDefinition{Wide(code), Wide(abbreviation), Wide(native), Wide(english),
                                                         rtl == 1});
    }
}

std::string OddBytes(std::mt19937& random, const std::string& picture)
{
    const size_t pick = Below(random, 10);
    if (pick == 0)
        return "bad \xC3 and \xFF end, \xED\xA0\x80 surrogate, \xC0\x80 overlong, \xF4\x90\x80\x80 too high";
    if (pick == 1)
        return std::string("before\0after\0", 13);
    if (pick == 2 || pick == 3)
        return pick == 2 ? "" : picture;
    if (pick == 4)
        return picture.substr(0, Below(random, picture.size()));
    if (pick == 5)
        return RandomBytes(random, Below(random, 200));
    if (pick == 6)  // rarely huge, full of macros: every one of them is replaced
        return Win32xx::WideToUtf8(MacroText(random, Chance(random, 10) ? 300000 + Below(random, 700000) : 200));
    if (pick == 7)
        return std::string(Chance(random, 20) ? 2000000 : 5000, 'y');
    return "Welcome to $(^Name) \xE2\x82\xAC $(^NextBtn) ($(^LangAbrev))";
}

// A value whose blob holds no blob: NULL, a number or text, as SQL stores it.
// Returns how the program reads it back.
std::string AddOddlyTypedValue(TestDatabase& database, const std::string& code, int id, int type, int blobId,
                               std::mt19937& random)
{
    static const std::pair<const char*, const char*> kData[] = {
        {"NULL", ""}, {"12345", "12345"}, {"1.5", "1.5"}, {"'text'", "text"}};
    const size_t pick = Below(random, std::size(kData));
    database.Execute("INSERT OR IGNORE INTO RESOURCE_DEF VALUES (" + std::to_string(id) + ", 'R', " +
                     std::to_string(type) + ");");
    database.Execute("INSERT INTO BLOB VALUES (" + std::to_string(blobId) + ", " + kData[pick].first + ");");
    database.Execute("INSERT INTO RESOURCE_VALUE VALUES (" + std::to_string(id) + ", '" + code + "', " +
                     std::to_string(blobId) + ");");
    return kData[pick].second;
}

void AddValues(TestDatabase& database, OddDatabase& odd, std::mt19937& random, const std::string& picture)
{
    std::set<std::pair<std::string, int>> used;
    for (size_t row = 0, rows = 1 + Below(random, 12); row < rows; ++row) {
        StoredValue value;
        value.code = kCodes[Below(random, std::size(kCodes))];
        value.id = kIds[Below(random, std::size(kIds))];
        const int type = Chance(random, 70) ? 1 : (Chance(random, 80) ? 3 : static_cast<int>(Below(random, 5)) - 1);
        // Two values of one code and id would make either row an answer.
        if (!used.emplace(value.code, value.id).second)
            continue;
        odd.types.emplace(value.id, type);
        const size_t pick = Below(random, 10);  // 0: no blob, 1: a blob that holds no blob, else bytes
        if (pick == 0) {
            database.AddDanglingValue(value.code.c_str(), value.id, type);
            value.dangling = true;
        } else {
            value.bytes = pick == 1 ? std::string() : OddBytes(random, picture);
            if (pick != 1 && type == 1)
                database.AddText(value.code.c_str(), value.id, value.bytes);
            else if (pick != 1 && type == 3)
                database.AddPicture(value.code.c_str(), value.id, value.bytes);
            else
                value.bytes = AddOddlyTypedValue(database, value.code, value.id, type, 500000 + static_cast<int>(row),
                                                 random);
        }
        odd.values.push_back(value);
    }
}

// Writes the base database, shaped like a release's, to `path`.
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

// Damages the file's bytes page by page; returns how, for the counts.
std::string DamageDatabaseFile(std::string& bytes, std::mt19937& random)
{
    const size_t pageSize = PageSize(bytes);
    const size_t pages = std::max<size_t>(1, bytes.size() / pageSize);
    const size_t page = Below(random, pages) * pageSize;
    const size_t pick = Below(random, 8);
    if (pick < 2) {
        for (size_t flips = 1 + Below(random, 16); flips > 0 && !bytes.empty(); --flips) {
            const size_t at = std::min(bytes.size() - 1, page + Below(random, pageSize));
            bytes[at] = static_cast<char>(bytes[at] ^ (1u << Below(random, 8)));
        }
        return "bits flipped in a page";
    }
    if (pick == 2) {
        std::fill(bytes.begin() + static_cast<long>(std::min(page, bytes.size())),
                  bytes.begin() + static_cast<long>(std::min(page + pageSize, bytes.size())), '\0');
        return "page zeroed";
    }
    if (pick == 3) {
        const std::string noise = RandomBytes(random, pageSize);
        bytes.replace(std::min(page, bytes.size()), pageSize, noise);
        return "page of random bytes";
    }
    if (pick == 4) {
        const std::string copy = bytes.substr(Below(random, pages) * pageSize, pageSize);
        bytes.replace(std::min(page, bytes.size()), copy.size(), copy);
        return "page copied over another";
    }
    if (pick == 5) {
        DamageHeader(bytes, random);
        return "header field changed";
    }
    if (pick == 6) {
        bytes.resize(Chance(random, 50) ? page : Below(random, bytes.size() + 1));
        return "cut short";
    }
    MutateBytes(bytes, random, 1 + static_cast<int>(Below(random, 6)));
    return "bytes changed";
}

std::optional<std::string> OddDatabase::Lookup(const std::wstring& code, int id, int type) const
{
    const auto typed = types.find(id);
    if (typed == types.end() || typed->second != type)
        return std::nullopt;
    auto in = [&](const std::string& codeBytes) -> std::optional<std::string> {
        for (const StoredValue& value : values)
            if (value.code == codeBytes && value.id == id && !value.dangling)
                return value.bytes;
        return std::nullopt;
    };
    if (const std::optional<std::string> found = in(Win32xx::WideToUtf8(code)))
        return found;
    return code == L"0" ? std::nullopt : in("0");
}

std::vector<int> OddDatabase::Ids() const
{
    std::set<int> ids{58, 78, 4711};
    for (const StoredValue& value : values)
        ids.insert(value.id);
    return std::vector<int>(ids.begin(), ids.end());
}

OddDatabase BuildOddDatabase(const std::wstring& path, unsigned seed, const std::string& picture)
{
    std::mt19937 random(seed);
    OddDatabase odd;
    TestDatabase database(path);
    database.Execute("PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY; BEGIN;");
    AddLanguages(database, odd, random);
    AddValues(database, odd, random, picture);
    database.Execute("COMMIT;");
    return odd;
}

constexpr CorpusKind kDamagedFiles{"database files", 2000000, 350, 60000};
constexpr CorpusKind kOddRows{"database rows", 2500000, 250, 60000};
const int kBaseIds[] = {1, 9, 10, 38, 40, 58, 78, 166, 168, 241, 4711};

// Asks for every id in every code, raw and as a picture, then in each
// language its localized texts and pictures. Returns everything the lookups
// gave, in order, to compare two rounds: texts, whether a value was found,
// and blobs byte by byte.
std::vector<std::wstring> AskEverything(ResourceManager& resources, const std::vector<std::wstring>& codes,
                                        const std::vector<int>& ids)
{
    std::vector<std::wstring> answers;
    for (const std::wstring& code : codes) {
        for (const int id : ids) {
            answers.push_back(resources.getString(code, id));
            std::vector<unsigned char> data;
            answers.push_back(resources.fetchBlob(code, id, RESOURCE_PICTURE, data) ? L"found" : L"not found");
            answers.emplace_back(data.begin(), data.end());
        }
    }
    for (const auto& [code, language] : resources.languages()) {
        resources.setCurrentLanguage(code);
        EXPECT_EQ(resources.currentLanguage().code, code);
        for (const int id : ids) {
            answers.push_back(resources.getLocalizedString(id).str());
            Win32xx::CString picture(L"unchanged");
            answers.push_back(resources.getPictureBase64(id, picture) ? L"found" : L"not found");
            answers.push_back(picture.str());
        }
    }
    return answers;
}

std::vector<std::wstring> CodesToAsk(const ResourceManager& resources)
{
    std::vector<std::wstring> codes{L"0", L"9999", std::wstring(1, L'\xD800')};
    for (const auto& [code, language] : resources.languages())
        codes.push_back(code);
    return codes;
}

void ExpectUnknownLanguageRefused(ResourceManager& resources)
{
    std::wstring unknown = L"no such language";
    while (resources.languages().count(unknown))
        unknown += L'!';
    EXPECT_THROW(resources.setCurrentLanguage(unknown), std::out_of_range);
}

void ExpectRowsReadAsStored(ResourceManager& resources, const OddDatabase& odd)
{
    std::vector<std::wstring> codes{L"0", L"9999"};
    for (const auto& [code, language] : odd.languages)
        codes.push_back(code);
    for (const std::wstring& code : codes) {
        for (const int id : odd.Ids()) {
            const std::optional<std::string> text = odd.Lookup(code, id, RESOURCE_TEXT);
            EXPECT_EQ(resources.getString(code, id), text ? Win32xx::Utf8ToWide(*text) : std::wstring())
                << "text " << id << " in " << testing_support::Narrow(code);
            const std::optional<std::string> picture = odd.Lookup(code, id, RESOURCE_PICTURE);
            std::vector<unsigned char> data;
            EXPECT_EQ(resources.fetchBlob(code, id, RESOURCE_PICTURE, data), picture.has_value()) << "picture " << id;
            EXPECT_EQ(std::string(data.begin(), data.end()), picture.value_or(""));
        }
    }
}

void ExpectLocalizedAsStored(ResourceManager& resources, const OddDatabase& odd, const std::wstring& code)
{
    auto text = [&](int id) {
        const std::optional<std::string> bytes = odd.Lookup(code, id, RESOURCE_TEXT);
        return bytes ? Win32xx::Utf8ToWide(*bytes) : std::wstring();
    };
    const LangDefinition& language = odd.languages.at(code);
    const MacroValues values{text(58), language.abbreviation, language.code, text(78)};
    for (const int id : odd.Ids()) {
        const std::wstring stored = text(id);
        EXPECT_TRUE(resources.getLocalizedString(id).str() ==
                    ExpectedExpansion(stored.substr(0, stored.find(L'\0')), values))
            << "localized text " << id;
        const std::optional<std::string> picture = odd.Lookup(code, id, RESOURCE_PICTURE);
        Win32xx::CString encoded(L"unchanged");
        const bool expected = picture && !picture->empty();
        EXPECT_EQ(resources.getPictureBase64(id, encoded), expected) << "picture " << id;
        EXPECT_EQ(testing_support::Narrow(encoded.str()), expected ? Base64Of(*picture) : "unchanged");
    }
}

class DatabaseCorpusTest : public ::testing::Test {
protected:
    CaseResult RunDamagedFile(unsigned seed);
    CaseResult RunOddRows(unsigned seed);

private:
    TempFolder m_folder{L"corpus-db"};
    std::string m_picture = testing_support::ReadFileBytes(testing_support::BuildPath(L"red-blue.jpg"));
    std::string m_base = [this] {
        const std::wstring path = m_folder / L"base.db";
        BuildBaseDatabase(path, m_picture);
        return testing_support::ReadFileBytes(path);
    }();
};

CaseResult DatabaseCorpusTest::RunDamagedFile(unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes = m_base;
    std::string damage = DamageDatabaseFile(bytes, random);
    if (Chance(random, 30))
        damage += " twice: " + DamageDatabaseFile(bytes, random);
    const std::wstring path = m_folder / (L"case-" + std::to_wstring(seed) + L".db");
    testing_support::WriteFileBytes(path, bytes);

    const unsigned fatalStops = FatalStopCount();
    bool stopped = false;
    {
        ResourceManager resources(path.c_str());
        const std::vector<std::wstring> codes = CodesToAsk(resources);
        const std::vector<int> ids(std::begin(kBaseIds), std::end(kBaseIds));
        const std::vector<std::wstring> first = AskEverything(resources, codes, ids);
        // Statements that failed once must still answer, and the same way.
        EXPECT_TRUE(AskEverything(resources, codes, ids) == first) << "a second round answered differently";
        ExpectUnknownLanguageRefused(resources);
        stopped = FatalStopCount() != fatalStops;
    }
    ::DeleteFileW(path.c_str());
    return {!stopped, stopped ? "fatal stop" : "opened"};
}

CaseResult DatabaseCorpusTest::RunOddRows(unsigned seed)
{
    const std::wstring path = m_folder / (L"odd-" + std::to_wstring(seed) + L".db");
    const OddDatabase odd = BuildOddDatabase(path, seed, m_picture);
    const unsigned fatalStops = FatalStopCount();
    {
        ResourceManager resources(path.c_str());
        EXPECT_EQ(resources.languages().size(), odd.languages.size());
        for (const auto& [code, language] : odd.languages) {
            const auto read = resources.languages().find(code);
            EXPECT_TRUE(read != resources.languages().end() && read->second.nativeName == language.nativeName &&
                        read->second.englishName == language.englishName &&
                        read->second.abbreviation == language.abbreviation &&
                        read->second.rightToLeft == language.rightToLeft)
                << "language " << testing_support::Narrow(code) << " missing or read otherwise than stored";
        }
        ExpectRowsReadAsStored(resources, odd);
        for (const auto& [code, language] : odd.languages) {
            resources.setCurrentLanguage(code);
            ExpectLocalizedAsStored(resources, odd, code);
        }
        ExpectUnknownLanguageRefused(resources);
    }
    EXPECT_EQ(FatalStopCount(), fatalStops) << "a sound file ended in the fatal stop";
    ::DeleteFileW(path.c_str());
    return {true, "read as stored"};
}

}  // namespace

TEST_F(DatabaseCorpusTest, DamagedFilesAnswerEveryLookupOrStopCleanly)
{
    RunCorpus(kDamagedFiles, [this](unsigned seed) { return RunDamagedFile(seed); });
}

TEST_F(DatabaseCorpusTest, OddRowsReadExactlyAsStored)
{
    RunCorpus(kOddRows, [this](unsigned seed) { return RunOddRows(seed); });
}

}  // namespace robustness
