// Offer descriptions through the offer page's HTML builder: well-formed objects (escapes, other types, nesting,
// repeated members, huge strings, other keys' placeholders, which multiply the page) and damaged texts.

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "Corpus.h"
#include "TestDatabase.h"
#include "resources/ResourceManager.h"
#include "support/Files.h"
#include "support/OfferPage.h"

namespace robustness {

namespace {

using testing_support::kOfferKeys;

constexpr CorpusKind kOffers{"offer JSON", 4000000, 80, 800, 30000};
constexpr CorpusKind kPatterns{"offer patterns", 4500000, 12, 120, 30000};
const char* const kOthers[] = {"42", "true", "null", "[]", "{}", "{\"h\":\"inner\"}", "1e308",
                                "0.0000000001e-2147483639"};  // beyond the int range with the fraction
const std::pair<std::string, std::string> kPieces[] = {  // JSON and the text it stands for
    {"Kestrafin ", "Kestrafin "}, {"<b>b</b>", "<b>b</b>"}, {"\\\"", "\""}, {"\\\\", "\\"}, {"\\n", "\n"},
    {"\\u00e9", "\xC3\xA9"}, {"\\uD834\\uDD1E", "\xF0\x9D\x84\x9E"}, {"\\u0000", std::string(1, '\0')},
    {"%OFFER%", "%OFFER%"}, {"$1", "$1"}, {"]]", "]]"}};
constexpr int kPicture = 241, kJson = 38, kTemplate = 40;

std::string Placeholder(const std::string& key) { return "[[offer:" + key + "]]"; }
std::string Nested(size_t depth) { return std::string(depth, '[') + "1" + std::string(depth, ']'); }

// A JSON string and its value; with `placeholders`, made of other keys' placeholders.
std::pair<std::string, std::string> MakeString(std::mt19937& random, bool placeholders)
{
    std::string encoded = "\"", decoded;
    size_t count = Chance(random, 1) ? 100000 + Below(random, 300000) : Below(random, 12);
    for (count = placeholders ? 32 + Below(random, 64) : count; count > 0; --count) {
        const auto& [json, text] = Pick(random, kPieces);
        const std::string placeholder = Placeholder(Pick(random, kOfferKeys));
        encoded += placeholders ? placeholder : json;
        decoded += placeholders ? placeholder : text;
    }
    return {encoded + "\"", decoded};
}

// A well-formed object; `values` gets each key's text (of repeated members the first; empty for other types).
std::string WellFormed(std::mt19937& random, std::map<std::string, std::string>& values, bool placeholders)
{
    std::string json = "{";
    for (const char* key : kOfferKeys) {
        if (Chance(random, 25))
            continue;
        const auto [encoded, decoded] = MakeString(random, placeholders);
        const bool isString = Chance(random, 80);
        const std::string other = Chance(random, 10) ? Nested(Below(random, 200000)) : Pick(random, kOthers);
        json += (json.size() > 1 ? ",\"" : "\"") + std::string(key) + "\":" + (isString ? encoded : other);
        values.emplace(key, isString ? decoded : "");
        if (Chance(random, 5))
            json += ",\"" + std::string(key) + "\":" + MakeString(random, false).first;
    }
    return json + "}";
}

std::string Damaged(std::mt19937& random)
{
    std::map<std::string, std::string> unused;
    std::string json = WellFormed(random, unused, false);
    const size_t pick = Below(random, 5);
    if (pick < 3)
        MutateBytes(json, random, 1 + static_cast<int>(Below(random, 6)));
    else if (pick == 3)
        json = Nested(Below(random, 400000)).substr(0, Chance(random, 50) ? std::string::npos : 1000);
    else
        json = std::string(Chance(random, 50) ? "\xEF\xBB\xBF[{}]" : "42") + std::string(1, '\0') + json;
    return json;
}

class OfferJsonCorpusTest : public ::testing::Test {
protected:
    OfferJsonCorpusTest()
    {
        m_database.Execute("PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY;");
        m_database.AddLanguage("1033", "English", "English", "EN", 0);
        m_database.AddText("0", 166, "%OFFER%");  // the tag's token, and the placeholders' pattern
        m_database.AddText("0", 168, "[[%OFFER%:$1]]");
        m_database.AddPicture("0", kPicture, "\xFF\xD8\xFF picture");
        m_resources = std::make_unique<ResourceManager>((m_folder / L"resources.db").c_str());
        m_resources->setCurrentLanguage(L"1033");
    }

    std::string BuildHtml() { return testing_support::BuildOfferHtml(m_resources.get(), "offer", kPicture); }

    std::string RunCase(unsigned seed);
    std::string RunPatternCase(unsigned seed);

    testing_support::TempFolder m_folder{L"corpus-offer"};
    TestDatabase m_database{m_folder / L"resources.db"};
    std::unique_ptr<ResourceManager> m_resources;
};

std::string OfferJsonCorpusTest::RunCase(unsigned seed)
{
    std::mt19937 random(seed);
    std::map<std::string, std::string> values;
    const bool wellFormed = Chance(random, 40), multiplying = Chance(random, 20);
    std::string json = wellFormed ? WellFormed(random, values, multiplying) : Damaged(random);
    // Each placeholder once, some twice, one of an unknown key; rarely tens of thousands of copies.
    std::string page = "<html>[[%OFFER%:t1]]" + Placeholder("h") + Placeholder("x"), templateText;
    for (const char* key : kOfferKeys)
        page += "<p>" + Placeholder(key) + "</p>\n";
    const size_t copies = Chance(random, 1) && json.size() < 20000 ? 10000 + Below(random, 20000) : 1;
    for (size_t copy = 0; copy < copies; ++copy)
        templateText += page;
    for (const auto& [id, text] : {std::make_pair(kTemplate, &templateText), std::make_pair(kJson, &json)}) {
        m_database.Execute("DELETE FROM RESOURCE_VALUE WHERE RES_DEF_ID = " + std::to_string(id) + ";");
        m_database.AddText("1033", id, *text);
    }

    const std::string html = BuildHtml();
    EXPECT_TRUE(BuildHtml() == html) << "a second page differs";
    EXPECT_LE(html.size(), std::max(OfferTutorial::kMaxHtmlSize, templateText.size())) << "the page outgrew its limit";
    const size_t start = json.find_first_not_of(" \t\r\n");
    EXPECT_TRUE((start != std::string::npos && json[start] == '{') || html == templateText)
        << "a text that is no object changed the template";
    // Values without placeholders, on a page far below the limit, fill their keys' placeholders.
    if (!multiplying && templateText == page) {
        for (const auto& [key, value] : values) {
            EXPECT_EQ(html.find(Placeholder(key)), std::string::npos) << "placeholder of " << key << " left";
            EXPECT_NE(html.find(key == "i2" ? "data:image/jpeg;base64," : value), std::string::npos) << key;
        }
    }
    return html.size() > OfferTutorial::kMaxHtmlSize / 2 ? "stopped near the limit"
                                                        : html == templateText ? "template kept" : "filled";
}

// Long runs of one letter in the token, the pattern and the template, and near misses of the placeholders: where
// a search compares the whole needle at each place, each key costs hours. Only the key and the tag break the runs,
// and '|' parts the template: each part that is a whole placeholder takes its value, nothing else changes.
std::string OfferJsonCorpusTest::RunPatternCase(unsigned seed)
{
    std::mt19937 random(seed);
    const auto run = [&random] { return std::string(Below(random, Chance(random, 50) ? 1 << 20 : 9), 'a'); };
    const std::string token = run() + "e", before = run(), after = run(), tag = "OO";
    m_database.Execute("DELETE FROM RESOURCE_VALUE WHERE RES_DEF_ID IN (166, 168, 38, 40);");
    m_database.AddText("0", 166, token);
    m_database.AddText("0", 168, before + "$1" + after + token);
    std::string json = "{", templateText, expected;
    for (const char* key : kOfferKeys)
        json += (json.size() > 1 ? ",\"" : "\"") + std::string(key) + "\":\"<" + key + ">\"";
    while (templateText.size() < (4u << 20) && !Chance(random, 5)) {
        const std::string key = Pick(random, kOfferKeys), placeholder = before + key + after + tag;
        const size_t pick = Below(random, 3);
        const std::string part = pick == 0   ? placeholder
                                 : pick == 1 ? placeholder.substr(0, Below(random, placeholder.size()))
                                             : before + run() + key + after + "a" + run() + tag;
        templateText += part + "|";
        expected += (part == placeholder ? "<" + key + ">" : part) + "|";
    }
    m_database.AddText("1033", kTemplate, templateText);
    m_database.AddText("1033", kJson, json + "}");
    EXPECT_TRUE(testing_support::BuildOfferHtml(m_resources.get(), tag, 0) == expected)
        << "the placeholders of " << before.size() << "+" << after.size() << "+" << token.size()
        << " bytes were not replaced as the template says";
    return before.size() + after.size() + token.size() > (1 << 20) ? "long" : "short";
}

}  // namespace

TEST_F(OfferJsonCorpusTest, PlaceholdersOfLongRunsFillOnlyTheirOwnParts)
{
    RunCorpus(kPatterns, [this](unsigned seed) { return RunPatternCase(seed); });
}

TEST_F(OfferJsonCorpusTest, OfferDescriptionsFillTheTemplateWithinItsLimitOrLeaveIt)
{
    RunCorpus(kOffers, [this](unsigned seed) { return RunCase(seed); });
}

}  // namespace robustness
