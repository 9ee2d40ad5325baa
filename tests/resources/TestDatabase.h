// Builds resource databases for tests, with the schema that the program reads.
#pragma once

#include <string>

struct sqlite3;

class TestDatabase {
public:
    // Creates (or empties) the database file at `path`.
    explicit TestDatabase(const std::wstring& path);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // RTL < 0 stores NULL.
    void AddLanguage(const char* code, const char* nativeName, const char* englishName, const char* abbreviation,
                     int rtl);
    // The neutral language, English, German and Hebrew (right to left).
    void AddLanguages();
    void AddText(const char* code, int id, const std::string& utf8) { AddValue(code, id, 1, utf8); }
    void AddPicture(const char* code, int id, const std::string& bytes) { AddValue(code, id, 3, bytes); }
    // A value that points at a blob id without a BLOB row.
    void AddDanglingValue(const char* code, int id, int type) { AddValueRow(code, id, type, 999999); }
    // The definition row of `id` (kept when it exists) and a value row for it.
    void AddValueRow(const char* code, int id, int type, int blobId);
    void Execute(const std::string& sql);
    // The number (from 1) of the page that holds `table`'s root.
    int RootPage(const std::string& table);

private:
    void AddValue(const char* code, int id, int type, const std::string& bytes);

    sqlite3* m_db = nullptr;
    int m_nextBlobId = 1;
};
