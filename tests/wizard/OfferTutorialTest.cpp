// The offer HTML: placeholders filled from the JSON in key order, the inline picture, broken content ignored.

#include <gtest/gtest.h>

#include "resources/ResourceManager.h"
#include "support/Files.h"
#include "support/OfferPage.h"
#include "tests/resources/TestDatabase.h"
#include "wizard/pages/OfferTutorial.h"

namespace {
constexpr int kImage = 241, kJson = 38, kTemplate = 40, kTagToken = 166, kPattern = 168;

std::string Repeated(const std::string& text, int times)
{
    std::string repeated;
    for (int i = 0; i < times; ++i)
        repeated += text;
    return repeated;
}
}  // namespace

class OfferTutorialTest : public ::testing::Test {
protected:
    OfferTutorialTest() : m_database(m_folder / L"resources.db")
    {
        m_database.AddLanguage("1033", "English", "English", "EN", 0);
        m_database.AddText("0", kTagToken, "#TAG#");
        m_database.AddText("0", kPattern, "{{#TAG#.$1}}");
    }

    std::string Build(const std::string& templateText, const std::string& json, const std::string& offerTag = "offer")
    {
        m_database.Execute("DELETE FROM RESOURCE_VALUE WHERE RES_DEF_ID IN (38, 40);");
        m_database.AddText("1033", kTemplate, templateText);
        m_database.AddText("1033", kJson, json);
        m_resources = std::make_unique<ResourceManager>((m_folder / L"resources.db").c_str());
        m_resources->setCurrentLanguage(L"1033");
        return testing_support::BuildOfferHtml(m_resources.get(), offerTag, kImage);
    }

    testing_support::TempFolder m_folder{L"offer"};
    TestDatabase m_database;
    std::unique_ptr<ResourceManager> m_resources;
};

TEST_F(OfferTutorialTest, FillsEveryPlaceholderOfTheTwelveKeys)
{
    std::string templateText, json = "{", expected;
    for (const char* key : testing_support::kOfferKeys) {
        templateText += std::string("[{{offer.") + key + "}}]";
        json += std::string(json.size() > 1 ? "," : "") + "\"" + key + "\":\"<" + key + ">\"";
        expected += std::string("[<") + key + ">]";
    }
    json += ",\"x\":\"ignored\"}";
    EXPECT_EQ(Build(templateText + "{{offer.x}}", json), expected + "{{offer.x}}");
}

// Keys are visited in string order; a broken description leaves the template.
TEST_F(OfferTutorialTest, KeysInStringOrderFillTheTemplateThatABrokenDescriptionLeaves)
{
    const std::string page = "<p>{{offer.h}}</p>", nested = std::string(500000, '[') + "1" + std::string(500000, ']');
    const struct { std::string templateText, json, html, why; } cases[] = {
        {"{{offer.b1}}|{{offer.h}}", R"({"b1":"{{offer.t1}}","t1":"T","h":"{{offer.b2}}","b2":"B"})", "T|{{offer.b2}}",
         "a value's placeholder is filled by a later key only"},
        {page, R"({"h": "unterminated)", page, "parse error"},
        {page, "", page, "empty text"},
        {page, R"(["h", "x"])", page, "root is not an object"},
        {page, R"({"h": 42})", "<p></p>", "a non-string member gives an empty value"},
        // The recursive JSON reader ran out of stack a few hundred thousand levels deep.
        {page + "{{offer.t1}}", R"({"h":"shown","t1":)" + nested + "}", "<p>shown</p>", "deeply nested member"},
        {page, nested, page, "deeply nested root"},
        {page, std::string(500000, '['), page, "never closed"},
        // An exponent that overflowed with the fraction's digits read far outside the reader's table of powers.
        {page, R"({"h": 0.0000000001e-2147483639})", "<p></p>", "exponent beyond the int range"},
        {"{{offer.i2}}", R"({"i2":"no picture"})", "no picture", "picture key without a picture"},
        {"{{offer.i2}}", R"({"h":"x"})", "{{offer.i2}}", "picture key without its member"}};
    for (const auto& item : cases)
        EXPECT_EQ(Build(item.templateText, item.json), item.html) << item.why;
}

TEST_F(OfferTutorialTest, ImageKeyTakesThePictureInline)
{
    m_database.AddPicture("0", kImage, std::string(200, '\xAB'));
    const std::string html = Build("<div>{{offer.i2}}</div>", R"({"i2":"fallback text"})");
    // 200 bytes 0xAB in Base64, without line breaks.
    EXPECT_EQ(html, "<div><img src=\"data:image/jpeg;base64," + Repeated("q6ur", 66) + "q6s=\" /></div>");
}

TEST_F(OfferTutorialTest, PatternAndTokenMakeTheSearchTexts)
{
    EXPECT_EQ(Build("{{special.h}} {{offer.h}}", R"({"h":"X"})", "special"), "X {{offer.h}}")
        << "the offer tag enters only through the token";

    m_database.Execute("DELETE FROM RESOURCE_VALUE WHERE RES_DEF_ID = 168;");
    EXPECT_EQ(Build("{{offer.h}} h", R"({"h":"X"})"), "{{offer.h}} h") << "empty placeholders replace nothing";

    m_database.AddText("0", kPattern, "<$1>");
    m_database.Execute("DELETE FROM RESOURCE_VALUE WHERE RES_DEF_ID = 166;");
    EXPECT_EQ(Build("<h> <#TAG#.h>", R"({"h":"X"})", "ignored"), "X <#TAG#.h>")
        << "without a token the placeholder itself is searched";
}

// Each value holds the next key's placeholder 64 times: 64^3 copies of the last 128 bytes would make 32 MiB.
TEST_F(OfferTutorialTest, PageThatKeysWouldMultiplyStopsAtItsLimitAndSaysWhich)
{
    const std::string json = R"({"b1":")" + Repeated("{{offer.b2}}", 64) + R"(","b2":")" +
                             Repeated("{{offer.b3}}", 64) + R"(","b3":")" + Repeated("{{offer.b4}}", 64) +
                             R"(","b4":")" + std::string(128, 'x') + R"(","t2":"later"})";
    const size_t knownRecords = testing_support::ReadLog(testing_support::TestLogPath()).size();

    const std::string html = Build("{{offer.b1}}{{offer.t2}}", json);
    EXPECT_LE(html.size(), OfferTutorial::kMaxHtmlSize);
    EXPECT_EQ(html.rfind(std::string(128, 'x'), 0), 0u) << "the values that fit are in";
    const std::string unfilled = "{{offer.b4}}{{offer.t2}}";
    EXPECT_EQ(html.find(unfilled), html.size() - unfilled.size()) << "the rest and the keys after stay as they were";
    const auto records = testing_support::ReadLog(testing_support::TestLogPath());
    ASSERT_GT(records.size(), knownRecords);
    EXPECT_EQ(records.back().severity, "ERROR");
    EXPECT_EQ(records.back().message, "Offer page of description 38 stopped at key b4: it would exceed 16777216 bytes");
}
