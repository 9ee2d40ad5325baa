// Resource databases with odd texts and columns, read as they are or after damage to pages, header or end.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "Corpus.h"
#include "TestDatabase.h"
#include "resources/Macros.h"
#include "resources/ResourceManager.h"
#include "support/Files.h"

using namespace testing_support;

namespace robustness {

namespace {

constexpr CorpusKind kDamagedFiles{"database files", 2000000, 35, 350, 60000};
constexpr CorpusKind kOddRows{"database rows", 2500000, 35, 250, 60000};
constexpr CorpusKind kUnindexed{"unindexed databases", 2700000, 4, 40, 60000};
constexpr CorpusKind kMisleadingIndex{"databases with a misleading index", 2800000, 4, 40, 60000};
const char* const kCodes[] = {"0", "1033", "1037", "", "\xFF", "\xC3\xA9", "\xED\xA0\x80", "1033 "};
const char* const kAbbreviations[] = {"EN", nullptr, "\xC3", "$(^LangID)$(^LangID)"};
const char* const kTexts[] = {"", "bad \xC3 \xFF, \xED\xA0\x80 surrogate, \xC0\x80 overlong, \xF4\x90",
                              "Welcome to $(^Name) \xE2\x82\xAC $(^NextBtn) ($(^LangAbrev) $(^LangID))$\\r"};
const int kIds[] = {9, 10, 78, 241, 0, -1, 2147483647};  // 78: the Next caption

std::string OddBytes(std::mt19937& random)
{
    const size_t pick = Below(random, 7);
    if (pick == 0)
        return std::string("before\0after", 12);
    if (pick == 1)
        return RandomBytes(random, Below(random, 200));
    if (pick == 2)
        return Narrow(MacroText(random, Chance(random, 10) ? 300000 + Below(random, 700000) : 200));
    std::string names;  // with the long product name, more than the expansion's limit
    while (pick == 3 && names.size() < 8000)
        names += "$(^Name)";
    return pick == 3 ? names : Pick(random, kTexts);
}

// Builds the database of `seed`; the bytes stored under each id, which a lookup of any type and language may give.
std::map<int, std::set<std::string>> BuildDatabase(const std::wstring& path, unsigned seed)
{
    std::mt19937 random(seed);
    TestDatabase database(path);
    database.Execute("PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY; BEGIN;");
    for (size_t row = 1 + Below(random, 5); row > 0; --row)
        database.AddLanguage(Pick(random, kCodes), "\xD7\xA2", nullptr, Pick(random, kAbbreviations),
                             static_cast<int>(Below(random, 4)) - 1);
    if (Chance(random, 70))
        database.AddText("0", 58, std::string(5000, 'y'));  // the product name
    std::map<int, std::set<std::string>> stored;
    for (size_t row = 1 + Below(random, 12); row > 0; --row) {
        const char* code = Pick(random, kCodes);
        const int id = Pick(random, kIds), type = Chance(random, 60) ? RESOURCE_TEXT : RESOURCE_PICTURE;
        const std::string bytes = OddBytes(random), number = std::to_string(900000 + row);
        const size_t pick = Below(random, 10);
        if (pick == 0) {
            database.AddDanglingValue(code, id, type);
        } else if (pick == 1) {  // the blob holds NULL or a number, as SQL can store it
            database.Execute("INSERT INTO BLOB VALUES (" + number + ", " + (row % 2 ? "NULL" : number) + ");");
            database.AddValueRow(code, id, type, 900000 + static_cast<int>(row));
            stored[id].insert(row % 2 ? "" : number);
        } else {
            type == RESOURCE_TEXT ? database.AddText(code, id, bytes) : database.AddPicture(code, id, bytes);
            stored[id].insert(bytes);
        }
    }
    database.Execute("COMMIT;");
    return stored;
}

void DamageFile(std::string& bytes, std::mt19937& random)
{
    const size_t page = Below(random, bytes.size() / 4096 + 1) * 4096, pick = Below(random, 4);
    const std::string noise = Chance(random, 50) ? std::string(4096, '\0') : RandomBytes(random, 4096);
    if (pick == 0)  // a page zeroed or of random bytes
        bytes.replace(std::min(page, bytes.size()), 4096, noise);
    else if (pick == 1)  // a header field: page size, versions, counts, free list, schema, encoding...
        MutateField(bytes, 16 + 2 * Below(random, 42), Chance(random, 50) ? 1 : 2, random);
    else if (pick == 2)
        bytes.resize(Chance(random, 50) ? page : Below(random, bytes.size() + 1));
    else
        MutateBytes(bytes, random, 1 + static_cast<int>(Below(random, 6)));
}

// Asks every id in every language, raw and localized (checked against `stored` and the limit); the answers.
std::vector<std::wstring> AskEverything(ResourceManager& resources, const std::map<int, std::set<std::string>>* stored)
{
    std::vector<std::wstring> answers, codes{L"0", L"9999"};
    for (const auto& [code, language] : resources.languages())
        codes.push_back(code);
    for (const std::wstring& code : codes)
        for (const int id : kIds)
            for (const int type : {RESOURCE_TEXT, RESOURCE_PICTURE}) {
                std::vector<unsigned char> data;
                const bool found = resources.fetchBlob(code, id, type, data);
                answers.push_back(std::wstring(data.begin(), data.end()) + (found ? L"" : L"(none)"));
                const std::string bytes(data.begin(), data.end());
                EXPECT_TRUE(!stored || !found || (stored->count(id) && stored->at(id).count(bytes)))
                    << "resource " << id << " gave what was not stored";
            }
    for (const auto& [code, language] : resources.languages()) {
        resources.setCurrentLanguage(code);
        for (const int id : kIds) {
            answers.push_back(resources.getText(static_cast<Resource::Id>(id)).str());
            EXPECT_LE(answers.back().size(), std::max(kMaxExpandedLength, resources.getString(code, id).size())) << id;
        }
    }
    EXPECT_THROW(resources.setCurrentLanguage(L"no such language"), std::out_of_range);
    return answers;
}

std::string RunCase(const std::wstring& path, unsigned seed, bool damaged)
{
    const auto stored = BuildDatabase(path, seed);
    std::mt19937 random(seed);
    std::string bytes = ReadFileBytes(path);
    if (damaged)
        DamageFile(bytes, random);
    WriteFileBytes(path, bytes);
    const unsigned fatalStops = FatalStopCount();
    {
        ResourceManager resources(path.c_str());
        const std::vector<std::wstring> first = AskEverything(resources, damaged ? nullptr : &stored);
        // Statements that failed once must still answer, and the same way.
        EXPECT_TRUE(AskEverything(resources, nullptr) == first) << "a second round answered differently";
    }
    ::DeleteFileW(path.c_str());
    EXPECT_TRUE(damaged || FatalStopCount() == fatalStops) << "a sound file ended in the fatal stop";
    return FatalStopCount() == fatalStops ? "opened" : "fatal stop";
}

// No index, or a misleading one on one table's ids, and one value's rows copied 16 to 32 thousand times in both
// tables: a lookup of another language or type that scanned one table once per row of the other took seconds, each.
std::string RunUnindexedCase(const std::wstring& path, unsigned seed, bool misleadingIndex)
{
    std::mt19937 random(seed);
    const int id = Pick(random, kIds), type = Chance(random, 50) ? RESOURCE_TEXT : RESOURCE_PICTURE;
    const std::string bytes = "value of " + std::to_string(seed);
    {
        TestDatabase database(path);
        database.Execute("DROP TABLE RESOURCE_DEF; CREATE TABLE RESOURCE_DEF (RES_DEF_ID, RES_NAME, RES_TYPE);"
                         "PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY; BEGIN;");
        database.AddLanguage(Pick(random, kCodes), "\xD7\xA2", nullptr, "EN", 0);
        type == RESOURCE_TEXT ? database.AddText(Pick(random, kCodes), id, bytes)
                              : database.AddPicture(Pick(random, kCodes), id, bytes);
        for (size_t doubling = 14 + Below(random, 2); doubling > 0; --doubling)
            database.Execute("INSERT INTO RESOURCE_DEF SELECT * FROM RESOURCE_DEF;"
                             "INSERT INTO RESOURCE_VALUE SELECT * FROM RESOURCE_VALUE;");
        const std::string table = Chance(random, 50) ? "RESOURCE_VALUE" : "RESOURCE_DEF";
        database.Execute(misleadingIndex ? "CREATE INDEX ID ON " + table + " (RES_DEF_ID); COMMIT;" : "COMMIT;");
    }
    const std::map<int, std::set<std::string>> stored{{id, {bytes}}};
    ResourceManager resources(path.c_str());
    const std::vector<std::wstring> first = AskEverything(resources, &stored);
    EXPECT_TRUE(AskEverything(resources, nullptr) == first) << "a second round answered differently";
    const bool found = std::count(first.begin(), first.end(), std::wstring(bytes.begin(), bytes.end())) > 0;
    return found ? "found" : "missed";
}

}  // namespace

TEST(DatabaseCorpusTest, UnindexedDatabasesWithRepeatedIdsAnswerEveryLookup)
{
    const TempFolder folder(L"corpus-db");
    RunCorpus(kUnindexed, [&folder](unsigned seed) { return RunUnindexedCase(folder / L"case.db", seed, false); });
    RunCorpus(kMisleadingIndex, [&folder](unsigned seed) { return RunUnindexedCase(folder / L"case.db", seed, true); });
}

TEST(DatabaseCorpusTest, DamagedFilesAnswerEveryLookupOrStopCleanly)
{
    const TempFolder folder(L"corpus-db");
    RunCorpus(kDamagedFiles, [&folder](unsigned seed) { return RunCase(folder / L"case.db", seed, true); });
}

TEST(DatabaseCorpusTest, OddRowsReadAsStoredOrNotAtAll)
{
    const TempFolder folder(L"corpus-db");
    RunCorpus(kOddRows, [&folder](unsigned seed) { return RunCase(folder / L"case.db", seed, false); });
}

}  // namespace robustness
