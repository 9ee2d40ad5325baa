// Offer descriptions through the offer page's HTML builder (OfferTutorial),
// read from a resource database as the offer page reads them. A case is
// either a well-formed object, which must fill exactly its placeholders, or a
// damaged text (bytes changed, truncated, nested very deeply, a root of the
// wrong type, invalid UTF-8, huge strings), which must leave the template or
// fill it; none may crash or hang the builder.

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <optional>

#include "Corpus.h"
#include "FatalStopRecorder.h"
#include "Models.h"
#include "TestDatabase.h"
#include "resources/ResourceManager.h"
#include "framework/ReplaceAll.h"
#include "support/Files.h"
#include "wizard/pages/OfferTutorial.h"

using testing_support::TempFolder;

namespace robustness {

namespace {

constexpr CorpusKind kOffers{"offer JSON", 4000000, 800, 30000};

// The twelve keys of an offer's placeholders; "i2" takes the picture.
const char* const kOfferKeys[] = {"h", "i", "t1", "d1", "t2", "b1", "b2", "b3", "b4", "f", "i2", "dir"};
const char kPictureKey[] = "i2";

struct OfferJsonCase {
    std::string json;
    // For a well-formed object: each present key's value text (a non-string
    // member gives the empty text; "i2" takes the picture when there is one).
    // Nothing for a damaged text.
    std::optional<std::map<std::string, std::string>> values;
    std::string kind;  // for the counts
};

struct JsonString {
    std::string encoded;  // with quotes and escapes
    std::string decoded;  // the value text
};

// Strings whose decoded text holds no '[' (so no value holds a placeholder).
JsonString MakeString(std::mt19937& random)
{
    static const JsonString kPieces[] = {
        {"Kestrafin ", "Kestrafin "}, {"<b>bold</b>", "<b>bold</b>"}, {"\\\"", "\""}, {"\\\\", "\\"},
        {"\\n", "\n"}, {"\\t", "\t"}, {"\\/", "/"}, {"\\u00e9", "\xC3\xA9"}, {"\\uD834\\uDD1E", "\xF0\x9D\x84\x9E"},
        {"\\u0000", std::string(1, '\0')}, {"\xD7\xA2\xD7\x91", "\xD7\xA2\xD7\x91"}, {"%OFFER%", "%OFFER%"},
        {"$1", "$1"}, {"]]", "]]"},
    };
    JsonString text{"\"", ""};
    const size_t pieces = Chance(random, 2) ? 100000 + Below(random, 300000) : Below(random, 12);
    for (size_t i = 0; i < pieces; ++i) {
        const JsonString& piece = kPieces[Below(random, std::size(kPieces))];
        text.encoded += piece.encoded;
        text.decoded += piece.decoded;
    }
    text.encoded += "\"";
    return text;
}

std::string Nested(std::mt19937& random, size_t depth)
{
    const bool arrays = Chance(random, 50);
    std::string text;
    for (size_t level = 0; level < depth; ++level)
        text += arrays ? "[" : "{\"k\":";
    text += "1";
    for (size_t level = 0; level < depth; ++level)
        text += arrays ? "]" : "}";
    return text;
}

// A JSON value that is no string.
std::string OtherValue(std::mt19937& random)
{
    static const char* const kValues[] = {"42", "-0.5e3", "true", "false", "null", "[]", "{}", "[\"x\"]",
                                          "{\"h\":\"inner\"}", "1e308"};
    if (Chance(random, 10))
        return Nested(random, 1 + Below(random, 200000));
    return kValues[Below(random, std::size(kValues))];
}

OfferJsonCase WellFormed(std::mt19937& random)
{
    OfferJsonCase offer{"{", std::map<std::string, std::string>(), "well-formed"};
    bool first = true;
    auto member = [&](const std::string& name, const std::string& value) {
        offer.json += (first ? "" : ",") + std::string(Chance(random, 20) ? "\n  " : "") + "\"" + name + "\":" + value;
        first = false;
    };
    for (const char* key : kOfferKeys) {
        if (Chance(random, 25))
            continue;
        const bool isString = Chance(random, 80);
        const JsonString text = MakeString(random);
        member(key, isString ? text.encoded : OtherValue(random));
        offer.values->emplace(key, isString ? text.decoded : std::string());
        // A member given twice: the first one counts.
        if (Chance(random, 5))
            member(key, MakeString(random).encoded);
    }
    if (Chance(random, 30))
        member("x", OtherValue(random));
    offer.json += "}";
    return offer;
}

OfferJsonCase Damaged(std::mt19937& random)
{
    OfferJsonCase offer = WellFormed(random);
    offer.values.reset();
    const size_t pick = Below(random, 8);
    if (pick < 3) {
        MutateBytes(offer.json, random, 1 + static_cast<int>(Below(random, 6)));
        offer.kind = "bytes changed";
    } else if (pick == 3) {
        offer.json.resize(Below(random, offer.json.size() + 1));
        offer.kind = "truncated";
    } else if (pick == 4) {
        offer.json = Nested(random, 1 + Below(random, 400000));
        if (Chance(random, 50))
            offer.json.resize(offer.json.size() / 2);
        offer.kind = "deep nesting";
    } else if (pick == 5) {
        static const char* const kRoots[] = {"[]", "\"h\"", "42", "null", "true", "[{\"h\":\"x\"}]", ""};
        offer.json = kRoots[Below(random, std::size(kRoots))];
        offer.kind = "root of another type";
    } else if (pick == 6) {
        offer.json.insert(Below(random, offer.json.size() + 1), RandomBytes(random, 1 + Below(random, 8)));
        offer.kind = "random bytes inserted";
    } else {
        offer.json = "\xEF\xBB\xBF" + offer.json + (Chance(random, 50) ? std::string(1, '\0') + "{}" : "");
        offer.kind = "byte order mark or NUL";
    }
    return offer;
}

OfferJsonCase MakeOfferJsonCase(unsigned seed)
{
    std::mt19937 random(seed);
    return Chance(random, 40) ? WellFormed(random) : Damaged(random);
}

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
            key == kPictureKey ? "<img src=\"data:image/jpeg;base64," + Base64Of(m_picture) + "\" />" : value;
        if (!Win32xx::ReplaceAllWithin(html, Placeholder(key), text, OfferTutorial::kMaxHtmlSize))
            break;  // a page that the template's copies grow beyond the limit stops there
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
