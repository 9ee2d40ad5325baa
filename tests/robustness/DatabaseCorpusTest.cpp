// Resource databases through ResourceManager: small files whose rows hold
// odd texts (invalid UTF-8, NULs, texts of megabytes full of macros), odd
// columns (NULL, numbers, values without their blob, repeated or odd language
// codes), read as they are or after damage to their bytes (pages zeroed,
// filled or copied over others, header fields, the file cut short).

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <set>

#include "Corpus.h"
#include "TestDatabase.h"
#include "resources/Macros.h"
#include "resources/ResourceManager.h"
#include "support/Files.h"

using testing_support::Narrow;

namespace robustness {

namespace {

constexpr CorpusKind kDamagedFiles{"database files", 2000000, 35, 350, 60000};
constexpr CorpusKind kOddRows{"database rows", 2500000, 35, 250, 60000};

const char* const kCodes[] = {"0", "1033", "1037", "", "\xFF", "\xC3\xA9", "\xED\xA0\x80", "1033 "};
const int kIds[] = {9, 10, 78, 241, 0, -1, 2147483647};  // 78: the Next caption

template <typename T, size_t N>
const T& Pick(std::mt19937& random, T (&choices)[N])
{
    return choices[Below(random, N)];
}

std::string OddBytes(std::mt19937& random)
{
    static const char* const kTexts[] = {
        "", "bad \xC3 \xFF end, \xED\xA0\x80 surrogate, \xC0\x80 overlong, \xF4\x90\x80\x80", "\xD7\xA2\xD7\x91",
        "Welcome to $(^Name) \xE2\x82\xAC $(^NextBtn) ($(^LangAbrev), $(^LangID))$\\r$\\n. \\"};
    const size_t pick = Below(random, 8);
    if (pick == 0)
        return std::string("before\0after", 12);
    if (pick == 1)
        return RandomBytes(random, Below(random, 200));
    if (pick == 2)  // sometimes huge
        return Narrow(MacroText(random, Chance(random, 10) ? 300000 + Below(random, 700000) : 200));
    if (pick == 3 || pick == 4) {  // with a long product name, more than the expansion's limit
        std::string text;
        for (size_t count = 0; count < 1000; ++count)
            text += "$(^Name)";
        return text;
    }
    return kTexts[Below(random, std::size(kTexts))];
}

// Builds the database of `seed`; returns the bytes stored under each id (a
// lookup of any type, in any language, may give one of them).
std::map<int, std::set<std::string>> BuildDatabase(const std::wstring& path, unsigned seed)
{
    std::mt19937 random(seed);
    TestDatabase database(path);
    database.Execute("PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY; BEGIN;");
    static const char* const kAbbreviations[] = {"EN", nullptr, "\xC3", "$(^LangID)$(^LangID)"};
    for (size_t row = 1 + Below(random, 5); row > 0; --row)
        database.AddLanguage(Pick(random, kCodes), "\xD7\xA2", nullptr, Pick(random, kAbbreviations),
                             static_cast<int>(Below(random, 4)) - 1);
    // A long product name, which the name macros of a long text would multiply.
    std::map<int, std::set<std::string>> stored;
    if (Chance(random, 70)) {
        stored[58].insert(std::string(5000, 'y'));
        database.AddText("0", 58, *stored[58].begin());
    }
    for (size_t row = 1 + Below(random, 12); row > 0; --row) {
        const char* code = Pick(random, kCodes);
        const int id = Pick(random, kIds), type = Chance(random, 60) ? RESOURCE_TEXT : RESOURCE_PICTURE;
        const std::string bytes = OddBytes(random);
        const size_t kind = Below(random, 10);
        if (kind == 0) {
            database.AddDanglingValue(code, id, type);
        } else if (kind == 1) {  // the blob holds a number, NULL or text instead of a blob
            static const char* const kData[][2] = {{"NULL", ""}, {"12345", "12345"}, {"1.5", "1.5"}, {"'t'", "t"}};
            const auto& [sql, read] = Pick(random, kData);
            const std::string blobId = std::to_string(900000 + row);
            database.Execute("INSERT OR IGNORE INTO RESOURCE_DEF VALUES (" + std::to_string(id) + ", 'R', " +
                             std::to_string(type) + "); INSERT INTO BLOB VALUES (" + blobId + ", " + sql +
                             "); INSERT INTO RESOURCE_VALUE VALUES (" + std::to_string(id) + ", '" + code + "', " +
                             blobId + ");");
            stored[id].insert(read);
        } else {
            type == RESOURCE_TEXT ? database.AddText(code, id, bytes) : database.AddPicture(code, id, bytes);
            stored[id].insert(bytes);
        }
    }
    database.Execute("COMMIT;");
    return stored;
}

// Zeroes, fills or copies over a page, sets a header field, cuts the file or
// changes bytes.
void DamageFile(std::string& bytes, std::mt19937& random)
{
    constexpr size_t kPage = 4096;
    const size_t pages = std::max<size_t>(1, bytes.size() / kPage), page = Below(random, pages) * kPage;
    const size_t pick = Below(random, 6);
    if (pick == 0)
        bytes.replace(std::min(page, bytes.size()), kPage, kPage, '\0');
    else if (pick == 1)
        bytes.replace(std::min(page, bytes.size()), kPage, RandomBytes(random, kPage));
    else if (pick == 2)
        bytes.replace(std::min(page, bytes.size()), kPage, bytes.substr(Below(random, pages) * kPage, kPage));
    else if (pick == 3)
        MutateField(bytes, 16 + 2 * Below(random, 42), Chance(random, 50) ? 1 : 2, random);
    else if (pick == 4)
        bytes.resize(Chance(random, 50) ? page : Below(random, bytes.size() + 1));
    else
        MutateBytes(bytes, random, 1 + static_cast<int>(Below(random, 6)));
}

// Asks every id in every language, raw and localized; returns the answers
// to compare rounds. Raw answers of a sound file are stored bytes or none; a
// localized text grows by its macros up to the limit only.
std::vector<std::wstring> AskEverything(ResourceManager& resources, const std::map<int, std::set<std::string>>* stored)
{
    std::vector<std::wstring> codes{L"0", L"9999"};
    for (const auto& [code, language] : resources.languages())
        codes.push_back(code);
    std::vector<std::wstring> answers;
    for (const std::wstring& code : codes) {
        for (const int id : kIds) {
            for (const int type : {RESOURCE_TEXT, RESOURCE_PICTURE}) {
                std::vector<unsigned char> data;
                const bool found = resources.fetchBlob(code, id, type, data);
                answers.emplace_back(data.begin(), data.end());
                answers.back() += found ? L"" : L"(none)";
                if (stored && found) {
                    EXPECT_TRUE(stored->count(id) && stored->at(id).count(std::string(data.begin(), data.end())))
                        << "resource " << id << " gave what was not stored";
                }
            }
        }
    }
    for (const auto& [code, language] : resources.languages()) {
        resources.setCurrentLanguage(code);
        for (const int id : kIds) {
            const std::wstring raw = resources.getString(code, id);
            const std::wstring localized = resources.getLocalizedString(id).str();
            EXPECT_LE(localized.size(), std::max(kMaxExpandedLength, raw.size())) << "resource " << id;
            answers.push_back(localized);
        }
    }
    std::wstring unknown = L"no such language";
    while (resources.languages().count(unknown))
        unknown += L'!';
    EXPECT_THROW(resources.setCurrentLanguage(unknown), std::out_of_range);
    return answers;
}

class DatabaseCorpusTest : public ::testing::Test {
protected:
    std::string RunCase(unsigned seed, bool damaged)
    {
        const std::wstring path = m_folder / (L"case-" + std::to_wstring(seed) + L".db");
        const auto stored = BuildDatabase(path, seed);
        if (damaged) {
            std::mt19937 random(seed);
            std::string bytes = testing_support::ReadFileBytes(path);
            DamageFile(bytes, random);
            testing_support::WriteFileBytes(path, bytes);
        }
        const unsigned fatalStops = FatalStopCount();
        {
            ResourceManager resources(path.c_str());
            const std::vector<std::wstring> first = AskEverything(resources, damaged ? nullptr : &stored);
            // Statements that failed once must still answer, and the same way.
            EXPECT_TRUE(AskEverything(resources, nullptr) == first) << "a second round answered differently";
        }
        ::DeleteFileW(path.c_str());
        const bool stopped = FatalStopCount() != fatalStops;
        EXPECT_TRUE(damaged || !stopped) << "a sound file ended in the fatal stop";
        return stopped ? "fatal stop" : "opened";
    }

private:
    testing_support::TempFolder m_folder{L"corpus-db"};
};

}  // namespace

TEST_F(DatabaseCorpusTest, DamagedFilesAnswerEveryLookupOrStopCleanly)
{
    RunCorpus(kDamagedFiles, [this](unsigned seed) { return RunCase(seed, true); });
}

TEST_F(DatabaseCorpusTest, OddRowsReadAsStoredOrNotAtAll)
{
    RunCorpus(kOddRows, [this](unsigned seed) { return RunCase(seed, false); });
}

}  // namespace robustness
