// Text lookups: ResourceManager::getText on the demo database against a
// bare loop that runs the same prepared statements (value by id, with the
// neutral language's when the text has none, then the blob) with sqlite3
// alone, plus the UTF-8 to UTF-16 conversion. An expanded text that uses the
// product name or the Next caption costs the same statements again for
// each of them, in both loops.
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "BenchSupport.h"
#include "framework/Utf8.h"
#include "resources/ResourceContract.h"
#include "resources/ResourceManager.h"
#include "support/Files.h"

namespace {

const wchar_t kLanguage[] = L"1033";
const wchar_t kNeutralLanguage[] = L"0";

// The ids of the text resources that have a value in the benchmark's language.
std::vector<int> TextIds(sqlite3* connection)
{
    std::vector<int> ids;
    sqlite3_stmt* statement = nullptr;
    const std::string sql = "select distinct D.RES_DEF_ID from RESOURCE_DEF D inner join RESOURCE_VALUE V "
                            "on D.RES_DEF_ID = V.RES_DEF_ID where V.LANG_CODE = '1033' and D.RES_TYPE = " +
                            std::to_string(RESOURCE_TEXT) + " order by D.RES_DEF_ID;";
    sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW)
        ids.push_back(sqlite3_column_int(statement, 0));
    sqlite3_finalize(statement);
    return ids;
}

// One text lookup without the resource manager.
class BareLookup {
public:
    explicit BareLookup(sqlite3* connection)
    {
        sqlite3_prepare_v2(connection, Resource::kByIdStatement, sizeof Resource::kByIdStatement, &m_byId, nullptr);
        sqlite3_prepare_v2(connection, Resource::kBlobStatement, sizeof Resource::kBlobStatement, &m_blob, nullptr);
    }
    ~BareLookup()
    {
        sqlite3_finalize(m_byId);
        sqlite3_finalize(m_blob);
    }
    BareLookup(const BareLookup&) = delete;
    BareLookup& operator=(const BareLookup&) = delete;
    bool Ready() const noexcept { return m_byId && m_blob; }

    // The text of `id`, with its macros' values read, not put in, when the
    // contract expands it: the statements are the measure.
    std::wstring PageText(int id)
    {
        std::wstring text = Text(id);
        const Resource::Definition* entry = Resource::Find(static_cast<Resource::Id>(id));
        if (!entry || entry->macros != Resource::Macros::Expanded)
            return text;
        if (text.find(L"$(^Name)") != std::wstring::npos || text.find(L"${PRIMARY_SW_NAME}") != std::wstring::npos)
            text += Text(Resource::PRODUCT_NAME);
        if (text.find(L"$(^NextBtn)") != std::wstring::npos)
            text += Text(Resource::BUTTON_NEXT);
        return text;
    }

    std::wstring Text(int id)
    {
        std::wstring text;
        if (FindValue(kLanguage, id) || FindValue(kNeutralLanguage, id)) {
            const int blobId = sqlite3_column_int(m_byId, 0);
            // Reset before the next statement, as the lookup does: each
            // statement is a read transaction of its own.
            sqlite3_reset(m_byId);
            sqlite3_bind_int(m_blob, 1, blobId);
            if (sqlite3_step(m_blob) == SQLITE_ROW) {
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_blob, 0));
                const int count = sqlite3_column_bytes(m_blob, 0);
                const int length = count ? ::MultiByteToWideChar(CP_UTF8, 0, bytes, count, nullptr, 0) : 0;
                text.resize(static_cast<size_t>(length));
                if (length)
                    ::MultiByteToWideChar(CP_UTF8, 0, bytes, count, text.data(), length);
            }
            sqlite3_reset(m_blob);
        }
        sqlite3_reset(m_byId);
        return text;
    }

private:
    // Leaves m_byId on the value's row when there is one.
    bool FindValue(const wchar_t* language, int id)
    {
        sqlite3_reset(m_byId);
        const std::string utf8Language = Win32xx::WideToUtf8(language, std::wcslen(language));
        sqlite3_bind_text(m_byId, 1, utf8Language.c_str(), static_cast<int>(utf8Language.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(m_byId, 2, id);
        sqlite3_bind_int(m_byId, 3, RESOURCE_TEXT);
        return sqlite3_step(m_byId) == SQLITE_ROW;
    }

    sqlite3_stmt* m_byId = nullptr;
    sqlite3_stmt* m_blob = nullptr;
};

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    // Each measurement runs for about this long; the rate is lookups per second.
    const double seconds = argc > 2 ? std::atof(argv[2]) : 1.5;
    testing_support::TempFolder root(L"bench-strings");
    // A copy, so that nothing of the build's output is ever opened for writing.
    const std::wstring database = root / L"resources.db";
    if (!::CopyFileW(testing_support::BuildPath(L"content\\resources.db").c_str(), database.c_str(), FALSE)) {
        std::printf("strings: content\\resources.db is missing beside the benchmark\n");
        return 1;
    }

    sqlite3* connection = nullptr;
    if (sqlite3_open_v2(testing_support::Narrow(database).c_str(), &connection,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::printf("strings: cannot open the database\n");
        return 1;
    }
    // The same connection settings as the resource manager's.
    for (const char* pragma : {"PRAGMA locking_mode = NORMAL", "PRAGMA synchronous = FULL;"})
        sqlite3_exec(connection, pragma, nullptr, nullptr, nullptr);
    const std::vector<int> ids = TextIds(connection);
    BareLookup bare(connection);
    if (ids.empty() || !bare.Ready()) {
        std::printf("strings: no text resources in language 1033\n");
        return 1;
    }

    // The same loop on a connection that keeps its shared lock between
    // statements (exclusive locking mode), to show what the per-statement
    // file locking costs.
    sqlite3* held = nullptr;
    sqlite3_open_v2(testing_support::Narrow(database).c_str(), &held, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_exec(held, "PRAGMA locking_mode = EXCLUSIVE", nullptr, nullptr, nullptr);
    BareLookup bareHeld(held);

    ResourceManager manager(database.c_str());
    manager.setCurrentLanguage(kLanguage);

    std::vector<double> pageTexts, plain, limit, plainLimit, limitHeld;
    size_t characters = 0;
    // Lookups per second of `lookup` (called with an index), run for `seconds`.
    auto measure = [&](auto lookup) {
        size_t count = 0;
        const double begin = bench::Now();
        double elapsed = 0;
        do {
            for (int batch = 0; batch < 16; ++batch, ++count)
                characters += lookup(ids[count % ids.size()]);
            elapsed = bench::Now() - begin;
        } while (elapsed < seconds);
        return count / elapsed;
    };
    for (int run = 0; run < runs; ++run) {
        pageTexts.push_back(measure([&](int id) {
            return static_cast<size_t>(manager.getText(static_cast<Resource::Id>(id)).GetLength());
        }));
        limit.push_back(measure([&](int id) { return bare.PageText(id).size(); }));
        plainLimit.push_back(measure([&](int id) { return bare.Text(id).size(); }));
        plain.push_back(measure([&](int id) { return manager.getString(kLanguage, id).size(); }));
        if (bareHeld.Ready())
            limitHeld.push_back(measure([&](int id) { return bareHeld.PageText(id).size(); }));
    }
    // Closed once their statements are finalized, when the lookups go.
    sqlite3_close_v2(connection);
    sqlite3_close_v2(held);

    bench::Table table("Text lookups: ResourceManager against bare sqlite3 (lookups per second, medians)");
    table.Note(std::to_string(ids.size()) + " text ids of language 1033 in the demo database, cycled; " +
               bench::Format("%.1f s per measurement, ", seconds) + std::to_string(runs) + " runs each, alternating");
    table.Note("bare: the value-by-id (current, then neutral language) and blob statements, each bind/step/reset");
    table.Note("before the next statement (as the lookup: a read transaction per statement),");
    table.Note("MultiByteToWideChar; once for the text, and once more for the product name and the Next caption");
    table.Note("when the contract expands the text and its macros use them");
    table.Note("(" + std::to_string(characters) + " characters read in all)");
    table.Figure("getText", bench::Median(pageTexts), pageTexts, "/s");
    table.Figure("bare statements (the limit)", bench::Median(limit), limit, "/s");
    table.Figure("getString (no macros; info)", bench::Median(plain), plain, "/s");
    table.Figure("bare statements for the text alone (info)", bench::Median(plainLimit), plainLimit, "/s");
    table.Figure("bare, lock held between statements (info)", bench::Median(limitHeld), limitHeld, "/s");
    table.Threshold("getText rate", bench::Median(pageTexts), 100000.0, "/s");
    table.Ratio("ratio getText / bare", bench::Median(pageTexts) / bench::Median(limit), 0.8);
    table.Ratio("ratio getString / bare text alone (info)", bench::Median(plain) / bench::Median(plainLimit), 0);
    table.Print();
    return 0;
}
