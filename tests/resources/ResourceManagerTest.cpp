#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "TestDatabase.h"
#include "resources/Macros.h"
#include "resources/ResourceManager.h"
#include "support/FatalBoxWatch.h"
#include "support/Files.h"

using testing_support::TempFolder;

class ResourceManagerTest : public ::testing::Test {
protected:
    ResourceManagerTest() : m_database(Path()) { m_database.AddLanguages(); }

    std::wstring Path() const { return m_folder / L"resources.db"; }

    TempFolder m_folder{L"resdb"};
    TestDatabase m_database;
};

// A value whose blob row is missing counts as not found in its language.
TEST_F(ResourceManagerTest, FallsBackToNeutralOnceAndOnlyThereTheSameEachTime)
{
    m_database.AddText("0", 56, "http://127.0.0.1/setup.exe");
    m_database.AddText("1033", 9, "Welcome");
    m_database.AddText("1031", 9, "Willkommen");
    m_database.AddText("1033", 10, "English only");
    m_database.AddDanglingValue("1031", 56, RESOURCE_TEXT);
    ResourceManager resources(Path().c_str());

    for (int round = 1; round <= 2; ++round) {  // repeated lookups give the same result
        EXPECT_EQ(resources.getString(L"1031", 9), L"Willkommen");
        EXPECT_EQ(resources.getString(L"1031", 56), L"http://127.0.0.1/setup.exe");
        EXPECT_EQ(resources.getString(L"1031", 10), L"") << "no fallback to 1033";
        EXPECT_EQ(resources.getString(L"0", 9), L"");
    }
    std::vector<unsigned char> data;
    EXPECT_FALSE(resources.fetchBlob(L"1033", 9, RESOURCE_PICTURE, data)) << "the type is part of the key";
}

TEST_F(ResourceManagerTest, LanguagesFirstRowWinsAndOnlyRtlOneIsRightToLeft)
{
    m_database.AddLanguage("1031", "Zweites Deutsch", "Second German", "D2", 1);
    m_database.AddLanguage("1036", "Fran\xC3\xA7" "ais", "French", "FR", 2);
    m_database.AddLanguage("1049", nullptr, nullptr, nullptr, -1);
    ResourceManager resources(Path().c_str());

    const auto& languages = resources.languages();
    ASSERT_EQ(languages.size(), 6u);
    EXPECT_EQ(languages.at(L"1031").nativeName, L"Deutsch");
    EXPECT_TRUE(languages.at(L"1037").rightToLeft);
    EXPECT_EQ(languages.at(L"1037").nativeName, L"\u05E2\u05D1\u05E8\u05D9\u05EA");
    for (const wchar_t* code : {L"1031", L"1036", L"1049"})  // RTL 1 in a later row, 2, NULL
        EXPECT_FALSE(languages.at(code).rightToLeft) << code;
    EXPECT_EQ(languages.at(L"1049").nativeName, L"") << "NULL text reads as empty";
}

// A text is its whole blob; an expanded one ends at its first NUL, its macros expanded in the current language.
TEST_F(ResourceManagerTest, LocalizedTextsFollowTheCurrentLanguageAndExpandItsMacros)
{
    m_database.AddText("0", 58, "Kestrafin");
    m_database.AddText("1031", 78, "Weiter >");
    m_database.AddText("0", 10, "$(^LangID)/$(^LangAbrev)/$(^Name)");
    m_database.AddText("1031", 10, "$(^Name) ($(^LangAbrev), $(^LangID)): $(^NextBtn)$\\n");
    m_database.AddText("1031", 16, std::string("a \xF0\x9D\x84\x9E b\0c", 10));  // a G clef, a NUL
    ResourceManager resources(Path().c_str());

    EXPECT_EQ(resources.getText(Resource::WELCOME_BODY).str(), L"0//Kestrafin");
    resources.setCurrentLanguage(L"1031");
    EXPECT_EQ(resources.currentLanguage().englishName, L"German");
    EXPECT_EQ(resources.getText(Resource::WELCOME_BODY).str(), L"Kestrafin (DE, 1031): Weiter >\n");
    EXPECT_EQ(resources.getString(L"1031", 10), L"$(^Name) ($(^LangAbrev), $(^LangID)): $(^NextBtn)$\\n");
    EXPECT_EQ(resources.getString(L"1031", 16), std::wstring(L"a \xD834\xDD1E b\0c", 8));
    EXPECT_EQ(resources.getText(Resource::FINISHED_BODY).str(), L"a \xD834\xDD1E b");
    EXPECT_THROW(resources.setCurrentLanguage(L"9999"), std::out_of_range);
}

// The Next caption is read lazily, from the text as the macros before it left it.
TEST_F(ResourceManagerTest, NextCaptionFormedByEarlierMacrosIsExpandedToo)
{
    m_database.AddText("0", 58, "Kestrafin ($(^NextBtn))");
    m_database.AddText("0", 78, "Next >");
    m_database.AddText("0", 9, "Welcome to $(^Name)");
    m_database.AddText("0", 10, "[$(^Next$(^LangAbrev)Btn)]");  // no abbreviation before a language is chosen
    m_database.AddText("0", 242, "$(^NextBtn) for ${PRIMARY_SW_NAME}");  // a macro first, the name's other macro alone
    m_database.AddText("0", 11, "$(^NextBtn)");  // a text that the contract keeps as stored
    ResourceManager resources(Path().c_str());
    EXPECT_EQ(resources.getText(Resource::WELCOME_TITLE).str(), L"Welcome to Kestrafin (Next >)");
    EXPECT_EQ(resources.getText(Resource::WELCOME_BODY).str(), L"[Next >]");
    EXPECT_EQ(resources.getText(Resource::WELCOME_SUBTITLE).str(), L"Next > for Kestrafin (Next >)");
    EXPECT_EQ(resources.getText(Resource::LINK_PRIVACY_TEXT).str(), L"$(^NextBtn)");
    EXPECT_THROW(resources.getRawText(Resource::WELCOME_TITLE), std::logic_error) << "its bytes are not its text";
}

// A name of 64 Ki characters: sixteen make the limit exactly; of seventeen, the sixteenth would pass it and stays.
TEST_F(ResourceManagerTest, ExpansionStopsBeforeTheTextExceedsItsLimitAndSaysWhich)
{
    m_database.AddText("0", 58, std::string(65536, 'N'));
    std::string macros;
    for (int i = 0; i < 16; ++i)
        macros += "$(^Name)";
    m_database.AddText("0", 9, macros);
    m_database.AddText("0", 10, macros + "$(^Name)");
    ResourceManager resources(Path().c_str());
    const size_t knownRecords = testing_support::ReadLog(testing_support::TestLogPath()).size();

    EXPECT_TRUE(resources.getText(Resource::WELCOME_TITLE).str() == std::wstring(kMaxExpandedLength, L'N'));
    EXPECT_TRUE(resources.getText(Resource::WELCOME_BODY).str() == std::wstring(15 * 65536, L'N') + L"$(^Name)$(^Name)");
    const auto records = testing_support::ReadLog(testing_support::TestLogPath());
    ASSERT_EQ(records.size(), knownRecords + 1);
    EXPECT_EQ(records.back().severity, "ERROR");
    EXPECT_EQ(records.back().message,
              "Macros of resource 10 not all expanded: the text would exceed 1048576 characters");
}

// A picture as Base64 and a missing one: OfferTutorialTest; loaded into the picture control: ControlsTest.
TEST_F(ResourceManagerTest, EmptyPictureHasNoBase64)
{
    m_database.AddPicture("0", 242, "");
    Win32xx::CString base64(L"unchanged");
    EXPECT_FALSE(ResourceManager(Path().c_str()).getPictureBase64(242, base64));
    EXPECT_EQ(base64.str(), L"unchanged");
}

// A database that cannot be opened, prepared or stepped: its fatal record, then the fatal stop's, one box.
TEST_F(ResourceManagerTest, OpenPrepareAndStepFailuresWriteTheirFatalRecordAndStop)
{
    const auto breakLanguagePage = [&] {
        const size_t languagePage = static_cast<size_t>(m_database.RootPage("LANGUAGE") - 1) * 4096;
        std::string bytes = testing_support::ReadFileBytes(Path());
        bytes.at(languagePage) = 1;  // no kind of page
        testing_support::WriteFileBytes(Path(), bytes);
    };
    struct Case {
        const char* name;
        std::wstring path;
        std::function<void()> damage;
        const char* function;
        std::string record;
    };
    const Case cases[] = {
        {"open: a folder", m_folder.Path(), [] {}, "ResourceManager::initDatabase",
         "ERROR: sqlite error 14 - unable to open database file\n"},
        {"step: a damaged page", Path(), breakLanguagePage, "ResourceManager::stepStatement",
         "SQLite error on 'fetchLangsDefinition' result=11 error='database disk image is malformed'\n"},
        {"prepare: a table missing", Path(), [&] { m_database.Execute("DROP TABLE RESOURCE_DEF;"); },
         "ResourceManager::checkPrepareError", "sql prepare error :SQL logic error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.damage();
        const size_t logStart = testing_support::ReadLog(testing_support::TestLogPath()).size();
        testing_support::FatalBoxWatch box;
        ResourceManager resources(c.path.c_str());
        EXPECT_EQ(box.Text(), L"Fatal Error occured !  exiting.");
        const auto log = testing_support::ReadLog(testing_support::TestLogPath());
        std::vector<std::string> fatal;  // the first two after "Resources aquired"
        for (size_t at = logStart + 1; at < std::min(log.size(), logStart + 3); ++at)
            fatal.push_back(log[at].severity + " " + log[at].function + ": " + log[at].message);
        EXPECT_EQ(fatal, (std::vector<std::string>{"FATAL " + std::string(c.function) + ": " + c.record,
                                                   "FATAL Die: Fatal Error occured !  exiting."}));
    }
}
