#include "OddDatabase.h"

#include <cstring>
#include <iterator>
#include <random>
#include <set>

#include "Corpus.h"
#include "MacroTexts.h"
#include "Mutations.h"
#include "TestDatabase.h"
#include "framework/Utf8.h"

namespace robustness {

namespace {

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
    switch (Below(random, 10)) {
    case 0:
        return "bad \xC3 and \xFF end, \xED\xA0\x80 surrogate, \xC0\x80 overlong, \xF4\x90\x80\x80 too high";
    case 1:
        return std::string("before\0after\0", 13);
    case 2:
        return "";
    case 3:
        return picture;
    case 4:
        return picture.substr(0, Below(random, picture.size()));
    case 5:
        return RandomBytes(random, Below(random, 200));
    case 6: {
        // Rarely huge, full of macros: every one of them is replaced.
        const std::wstring text = MacroText(random, Chance(random, 10) ? 300000 + Below(random, 700000) : 200);
        return Win32xx::WideToUtf8(text);
    }
    case 7:
        return std::string(Chance(random, 20) ? 2000000 : 5000, 'y');
    default:
        return "Welcome to $(^Name) \xE2\x82\xAC $(^NextBtn) ($(^LangAbrev))";
    }
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
        switch (Below(random, 10)) {
        case 0:
            database.AddDanglingValue(value.code.c_str(), value.id, type);
            value.dangling = true;
            break;
        case 1:
            value.bytes = AddOddlyTypedValue(database, value.code, value.id, type, 500000 + static_cast<int>(row),
                                             random);
            break;
        default:
            value.bytes = OddBytes(random, picture);
            if (type == 1)
                database.AddText(value.code.c_str(), value.id, value.bytes);
            else if (type == 3)
                database.AddPicture(value.code.c_str(), value.id, value.bytes);
            else
                value.bytes = AddOddlyTypedValue(database, value.code, value.id, type, 500000 + static_cast<int>(row),
                                                 random);
            break;
        }
        odd.values.push_back(value);
    }
}

}  // namespace

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

}  // namespace robustness
