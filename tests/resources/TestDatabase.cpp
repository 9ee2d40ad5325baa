#include "TestDatabase.h"

#include <windows.h>

#include <stdexcept>

#include <sqlite3.h>

#include "framework/Utf8.h"
#include "resources/ResourceContract.h"

TestDatabase::TestDatabase(const std::wstring& path)
{
    ::DeleteFileW(path.c_str());
    if (sqlite3_open(Win32xx::WideToUtf8(path).c_str(), &m_db) != SQLITE_OK)
        throw std::runtime_error("cannot create the test database");
    // Without the constraints, so that a test may store what the content tool never writes; one definition an id.
    Execute(Resource::Schema(Resource::Constraints::Left) + "CREATE UNIQUE INDEX DEF_ID ON RESOURCE_DEF (RES_DEF_ID);");
}

TestDatabase::~TestDatabase() { sqlite3_close(m_db); }

void TestDatabase::Execute(const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error("test database: " + message);
    }
}

int TestDatabase::RootPage(const std::string& table)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(m_db, "SELECT rootpage FROM sqlite_master WHERE type = 'table' AND name = ?;", -1, &statement,
                       nullptr);
    sqlite3_bind_text(statement, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    const int page = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : 0;
    sqlite3_finalize(statement);
    if (page <= 0)
        throw std::runtime_error("test database: no table " + table);
    return page;
}

void TestDatabase::AddLanguage(const char* code, const char* nativeName, const char* englishName,
                               const char* abbreviation, int rtl)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(m_db, "INSERT INTO LANGUAGE VALUES (?, ?, ?, ?, ?)", -1, &statement, nullptr);
    const char* texts[] = {code, nativeName, abbreviation, englishName};
    for (int i = 0; i < 4; ++i)
        if (texts[i])
            sqlite3_bind_text(statement, i + 1, texts[i], -1, SQLITE_TRANSIENT);
    if (rtl >= 0)
        sqlite3_bind_int(statement, 5, rtl);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
}

void TestDatabase::AddLanguages()
{
    AddLanguage("0", "Neutral", "", "", 0);
    AddLanguage("1033", "US English", "English", "EN", 0);  // two names, so that a swap shows
    AddLanguage("1031", "Deutsch", "German", "DE", 0);
    AddLanguage("1037", "\xD7\xA2\xD7\x91\xD7\xA8\xD7\x99\xD7\xAA", "Hebrew", "HE", 1);
}

void TestDatabase::AddValue(const char* code, int id, int type, const std::string& bytes)
{
    std::string hex;
    for (const unsigned char byte : bytes)
        hex += {"0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 15]};
    Execute("INSERT INTO BLOB VALUES (" + std::to_string(m_nextBlobId) + ", X'" + hex + "');");
    AddValueRow(code, id, type, m_nextBlobId++);
}

void TestDatabase::AddValueRow(const char* code, int id, int type, int blobId)
{
    const std::string res = std::to_string(id);
    Execute("INSERT OR IGNORE INTO RESOURCE_DEF VALUES (" + res + ", 'R" + res + "', " + std::to_string(type) +
            "); INSERT INTO RESOURCE_VALUE VALUES (" + res + ", '" + code + "', " + std::to_string(blobId) + ");");
}
