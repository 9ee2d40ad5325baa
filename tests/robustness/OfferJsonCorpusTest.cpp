// Offer descriptions through the offer page's HTML builder (OfferTutorial),
// read from a resource database as the offer page reads them: well-formed
// objects must fill exactly their placeholders; damaged texts must leave the
// template or fill it, and never crash or hang the builder.

#include <gtest/gtest.h>

#include "Base64.h"
#include "Corpus.h"
#include "FatalStopRecorder.h"
#include "MacroModel.h"
#include "OfferJsonCases.h"
#include "TestDatabase.h"
#include "resources/ResourceManager.h"
#include "support/Files.h"
#include "wizard/pages/OfferTutorial.h"

using testing_support::TempFolder;

namespace robustness {

namespace {

constexpr CorpusKind kOffers{"offer JSON", 4000000, 800, 30000};
constexpr int kOfferTag = 157, kTagToken = 166, kPattern = 168, kPicture = 241, kJson = 38, kTemplate = 40;
const char kLanguage[] = "1033";

std::string Placeholder(const std::string& key)
{
    return "[[offer:" + key + "]]";
}

// Every placeholder once, some twice, one of an unknown key, one written with
// the token instead of the tag (no placeholder), text between them.
std::string OfferTemplate()
{
    std::string text = "<html><body dir=\"[[offer:dir]]\">";
    for (const char* key : kOfferKeys)
        text += "<p class=\"" + std::string(key) + "\">" + Placeholder(key) + "</p>\n";
    return text + Placeholder("h") + Placeholder("h") + Placeholder("x") + "[[%OFFER%:t1]]</body></html>";
}

// Whether the text begins as an object does (the JSON reader skips a UTF-8
// byte order mark).
bool StartsWithObject(const std::string& json)
{
    const size_t first = json.find_first_not_of(" \t\r\n", json.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0);
    return first != std::string::npos && json[first] == '{';
}

class OfferJsonCorpusTest : public ::testing::Test {
protected:
    OfferJsonCorpusTest()
    {
        m_database.Execute("PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY;");
        m_database.AddLanguage(kLanguage, "English", "English", "EN", 0);
        m_database.AddText("0", kTagToken, "%OFFER%");
        m_database.AddText("0", kPattern, "[[%OFFER%:$1]]");
        m_database.AddText(kLanguage, kOfferTag, "offer");
        m_database.AddPicture("0", kPicture, m_picture);
        m_resources = std::make_unique<ResourceManager>(m_path.c_str());
        m_resources->setCurrentLanguage(L"1033");
    }

    CaseResult RunCase(unsigned seed);

private:
    std::string BuildHtml(const std::string& templateText, const std::string& json);
    void StoreText(int id, const std::string& text);
    std::string Expected(const std::string& templateText, const std::map<std::string, std::string>& values) const;

    TempFolder m_folder{L"corpus-offer"};
    std::wstring m_path = m_folder / L"resources.db";
    TestDatabase m_database{m_path};
    std::string m_picture = testing_support::ReadFileBytes(testing_support::BuildPath(L"red-blue.jpg"));
    std::unique_ptr<ResourceManager> m_resources;
    std::string m_template;
};

void OfferJsonCorpusTest::StoreText(int id, const std::string& text)
{
    const std::string row = std::to_string(id);
    m_database.Execute("DELETE FROM RESOURCE_VALUE WHERE RES_DEF_ID = " + row +
                       "; DELETE FROM BLOB WHERE BLOB_ID NOT IN (SELECT BLOB_ID FROM RESOURCE_VALUE);");
    m_database.AddText(kLanguage, id, text);
}

// The offer page's sequence: placeholders at construction, then the tag and
// the resource ids, then the document.
std::string OfferJsonCorpusTest::BuildHtml(const std::string& templateText, const std::string& json)
{
    if (templateText != m_template) {
        StoreText(kTemplate, templateText);
        m_template = templateText;
    }
    StoreText(kJson, json);
    OfferTutorial tutorial(m_resources.get());
    tutorial.LoadPlaceholders();
    tutorial.offerTag = "offer";
    tutorial.imageId = kPicture;
    tutorial.jsonTextId = kJson;
    tutorial.templateId = kTemplate;
    tutorial.BuildHtml();
    return tutorial.html;
}

std::string OfferJsonCorpusTest::Expected(const std::string& templateText,
                                          const std::map<std::string, std::string>& values) const
{
    std::string html = templateText;
    for (const auto& [key, value] : values) {
        const std::string text =
            key == kPictureKey ? "<img src=\"data:image/jpeg;base64," + Base64(m_picture) + "\" />" : value;
        html = ReplacedInOnePass(html, Placeholder(key), text);
    }
    return html;
}

CaseResult OfferJsonCorpusTest::RunCase(unsigned seed)
{
    const OfferJsonCase offer = MakeOfferJsonCase(seed);
    std::mt19937 random(seed);
    // Rarely a template of a few megabytes with hundreds of thousands of
    // placeholders; with short values only, as the document grows with the
    // product of both.
    std::string templateText = OfferTemplate();
    if (Chance(random, 1) && offer.json.size() < 20000)
        for (size_t copies = 10000 + Below(random, 20000); copies > 0; --copies)
            templateText += OfferTemplate();

    const unsigned fatalStops = FatalStopCount();
    const std::string html = BuildHtml(templateText, offer.json);
    EXPECT_EQ(FatalStopCount(), fatalStops) << "the database failed";
    if (offer.values) {
        EXPECT_TRUE(html == Expected(templateText, *offer.values))
            << "a well-formed offer (" << offer.json.size() << " bytes) did not fill its placeholders exactly";
    } else if (!StartsWithObject(offer.json)) {
        EXPECT_TRUE(html == templateText) << "a text that is no object changed the template (" << offer.kind << ")";
    }
    if (offer.values)
        return {true, offer.kind};
    if (html == templateText)
        return {false, offer.kind + ": template kept"};
    return {true, offer.kind + ": filled"};
}

}  // namespace

TEST_F(OfferJsonCorpusTest, OfferDescriptionsFillTheTemplateOrLeaveItAlone)
{
    RunCorpus(kOffers, [this](unsigned seed) { return RunCase(seed); });
}

}  // namespace robustness
