// Reads a built resources.db the way the setup program does: with the
// program's own statements and its fallback to the neutral language.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace content_test {

// The statements exactly as the setup program runs them.
constexpr const char* kByIdStatement =
    "select V.BLOB_ID  from RESOURCE_DEF D inner join RESOURCE_VALUE  V on D.RES_DEF_ID  = V.RES_DEF_ID  where "
    "V.LANG_CODE = ? and D.RES_DEF_ID = ? and D.RES_TYPE = ? ; ";
constexpr const char* kBlobStatement = "select DATA from BLOB where BLOB_ID = ? ;";
constexpr const char* kLanguageStatement =
    "SELECT LANG_CODE, LANG_NATIVE_NAME , ABREVIATION , LANG_ENGLISH_NAME, RTL FROM LANGUAGE;";
constexpr int kText = 1;
constexpr int kPicture = 3;

struct Language {
    std::string code, nativeName, abbreviation, englishName;
    int rtl;
};

// Reads resources.db the way the setup program does.
class ProgramView {
public:
    explicit ProgramView(const std::filesystem::path& database)
    {
        sqlite3* raw = nullptr;
        const int result = sqlite3_open_v2(database.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
        connection_.reset(raw);
        if (result != SQLITE_OK) {
            throw std::runtime_error("cannot open " + database.string());
        }
        byId_ = prepare(kByIdStatement);
        blob_ = prepare(kBlobStatement);
    }

    int valueCount()
    {
        auto statement = prepare("select count(*) from RESOURCE_VALUE");
        return sqlite3_step(statement.get()) == SQLITE_ROW ? sqlite3_column_int(statement.get(), 0) : -1;
    }

    std::vector<Language> languages()
    {
        auto statement = prepare(kLanguageStatement);
        auto text = [&](int column) {
            auto value = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), column));
            return std::string(value ? value : "");
        };
        std::vector<Language> rows;
        while (sqlite3_step(statement.get()) == SQLITE_ROW) {
            rows.push_back({text(0), text(1), text(2), text(3), sqlite3_column_int(statement.get(), 4)});
        }
        return rows;
    }

    // The value in this language only; false when there is none.
    bool fetchExact(const std::string& code, int id, int type, std::string& bytes)
    {
        sqlite3_bind_text(byId_.get(), 1, code.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(byId_.get(), 2, id);
        sqlite3_bind_int(byId_.get(), 3, type);
        const bool found = sqlite3_step(byId_.get()) == SQLITE_ROW;
        const int blobId = found ? sqlite3_column_int(byId_.get(), 0) : 0;
        sqlite3_reset(byId_.get());
        if (!found) {
            return false;
        }
        sqlite3_bind_int(blob_.get(), 1, blobId);
        const bool hasData = sqlite3_step(blob_.get()) == SQLITE_ROW;
        if (hasData) {
            auto data = static_cast<const char*>(sqlite3_column_blob(blob_.get(), 0));
            bytes.assign(data ? data : "", static_cast<std::size_t>(sqlite3_column_bytes(blob_.get(), 0)));
        }
        sqlite3_reset(blob_.get());
        return hasData;
    }

    // The value as the program finds it: this language, else the neutral one.
    bool fetch(const std::string& code, int id, int type, std::string& bytes)
    {
        return fetchExact(code, id, type, bytes) || (code != "0" && fetchExact("0", id, type, bytes));
    }

    std::string text(const std::string& code, int id)
    {
        std::string bytes;
        fetch(code, id, kText, bytes);
        return bytes;
    }

private:
    struct Closer {
        void operator()(sqlite3* connection) const { sqlite3_close(connection); }
        void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
    };
    using Statement = std::unique_ptr<sqlite3_stmt, Closer>;

    Statement prepare(const char* sql)
    {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(connection_.get(), sql, -1, &raw, nullptr) != SQLITE_OK) {
            throw std::runtime_error(std::string("cannot prepare: ") + sqlite3_errmsg(connection_.get()));
        }
        return Statement(raw);
    }

    std::unique_ptr<sqlite3, Closer> connection_;
    Statement byId_;
    Statement blob_;
};

}  // namespace content_test
