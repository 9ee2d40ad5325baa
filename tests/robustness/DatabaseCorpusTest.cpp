// Resource databases through ResourceManager: files damaged page by page,
// and sound files with odd rows. Every lookup must return; a file that
// cannot be read ends in the fatal stop (counted here, see
// FatalStopRecorder.h); odd rows must read exactly as stored.

#include <gtest/gtest.h>

#include "Base64.h"
#include "Corpus.h"
#include "DatabaseFiles.h"
#include "FatalStopRecorder.h"
#include "MacroModel.h"
#include "OddDatabase.h"
#include "framework/Utf8.h"
#include "resources/ResourceManager.h"
#include "support/Files.h"

using testing_support::TempFolder;

namespace robustness {

namespace {

constexpr CorpusKind kDamagedFiles{"database files", 2000000, 350, 60000};
constexpr CorpusKind kOddRows{"database rows", 2500000, 250, 60000};
const int kBaseIds[] = {1, 9, 10, 38, 40, 58, 78, 166, 168, 241, 4711};

// Everything the lookups gave, in order, to compare two rounds.
struct Answers {
    std::vector<std::wstring> texts;
    std::vector<std::vector<unsigned char>> blobs;
    std::vector<bool> found;
    bool operator==(const Answers& other) const
    {
        return texts == other.texts && blobs == other.blobs && found == other.found;
    }
};

// Asks for every id in every code, raw and as a picture, then in each
// language its localized texts and pictures.
Answers AskEverything(ResourceManager& resources, const std::vector<std::wstring>& codes, const std::vector<int>& ids)
{
    Answers answers;
    for (const std::wstring& code : codes) {
        for (const int id : ids) {
            answers.texts.push_back(resources.getString(code, id));
            std::vector<unsigned char> data;
            answers.found.push_back(resources.fetchBlob(code, id, RESOURCE_PICTURE, data));
            answers.blobs.push_back(data);
        }
    }
    for (const auto& [code, language] : resources.languages()) {
        resources.setCurrentLanguage(code);
        EXPECT_EQ(resources.currentLanguage().code, code);
        for (const int id : ids) {
            answers.texts.push_back(resources.getLocalizedString(id).str());
            Win32xx::CString picture(L"unchanged");
            answers.found.push_back(resources.getPictureBase64(id, picture));
            answers.texts.push_back(picture.str());
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

class DatabaseCorpusTest : public ::testing::Test {
protected:
    CaseResult RunDamagedFile(unsigned seed);
    CaseResult RunOddRows(unsigned seed);

private:
    void ExpectRowsReadAsStored(ResourceManager& resources, const OddDatabase& odd);
    void ExpectLocalizedAsStored(ResourceManager& resources, const OddDatabase& odd, const std::wstring& code);

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
        const Answers first = AskEverything(resources, codes, ids);
        // Statements that failed once must still answer, and the same way.
        EXPECT_TRUE(AskEverything(resources, codes, ids) == first) << "a second round answered differently";
        ExpectUnknownLanguageRefused(resources);
        stopped = FatalStopCount() != fatalStops;
    }
    ::DeleteFileW(path.c_str());
    return {!stopped, stopped ? "fatal stop" : "opened"};
}

void DatabaseCorpusTest::ExpectRowsReadAsStored(ResourceManager& resources, const OddDatabase& odd)
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

void DatabaseCorpusTest::ExpectLocalizedAsStored(ResourceManager& resources, const OddDatabase& odd,
                                                 const std::wstring& code)
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
        EXPECT_EQ(testing_support::Narrow(encoded.str()), expected ? Base64(*picture) : "unchanged");
    }
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
            if (resources.languages().count(code) != 1) {
                ADD_FAILURE() << "language " << testing_support::Narrow(code) << " missing";
                continue;
            }
            const LangDefinition& read = resources.languages().at(code);
            EXPECT_TRUE(read.nativeName == language.nativeName && read.englishName == language.englishName &&
                        read.abbreviation == language.abbreviation && read.rightToLeft == language.rightToLeft)
                << "language " << testing_support::Narrow(code) << " read otherwise than stored";
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
