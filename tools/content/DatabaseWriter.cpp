#include "DatabaseWriter.h"

#include <sqlite3.h>

#include "resources/ResourceContract.h"

#include <map>
#include <memory>

namespace content {

namespace {

struct ConnectionCloser {
    void operator()(sqlite3* connection) const { sqlite3_close(connection); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

class Writer {
public:
    explicit Writer(const std::filesystem::path& path)
    {
        sqlite3* raw = nullptr;
        int result = sqlite3_open_v2(path.u8string().c_str(), &raw,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        connection_.reset(raw);
        if (result != SQLITE_OK) {
            Fail("cannot create " + path.u8string());
        }
    }

    void Exec(const char* sql)
    {
        if (sqlite3_exec(connection_.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
            Fail("cannot run \"" + std::string(sql).substr(0, 40) + "\"");
        }
    }

    Statement Prepare(const char* sql)
    {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(connection_.get(), sql, -1, &raw, nullptr) != SQLITE_OK) {
            Fail("cannot prepare \"" + std::string(sql) + "\"");
        }
        return Statement(raw);
    }

    void BindText(sqlite3_stmt* statement, int index, const std::string& text)
    {
        Check(sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    }

    void BindBlob(sqlite3_stmt* statement, int index, const std::string& bytes)
    {
        // A zero-length blob, not NULL, for an empty value.
        Check(bytes.empty() ? sqlite3_bind_zeroblob(statement, index, 0)
                            : sqlite3_bind_blob(statement, index, bytes.data(), static_cast<int>(bytes.size()),
                                                SQLITE_TRANSIENT));
    }

    void BindInt(sqlite3_stmt* statement, int index, sqlite3_int64 value)
    {
        Check(sqlite3_bind_int64(statement, index, value));
    }

    // Runs a bound insert and makes it ready for the next row.
    void Run(sqlite3_stmt* statement)
    {
        if (sqlite3_step(statement) != SQLITE_DONE) {
            Fail("cannot insert");
        }
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }

    void Close()
    {
        if (sqlite3_close(connection_.release()) != SQLITE_OK) {
            throw DatabaseError("cannot close the database");
        }
    }

private:
    void Check(int result)
    {
        if (result != SQLITE_OK) {
            Fail("cannot bind a value");
        }
    }

    [[noreturn]] void Fail(const std::string& what)
    {
        throw DatabaseError(what + ": " + (connection_ ? sqlite3_errmsg(connection_.get()) : "out of memory"));
    }

    Connection connection_;
};

}  // namespace

void WriteDatabase(const Content& content, const std::filesystem::path& path)
{
    Writer writer(path);
    // The file is temporary until it is complete; no journal is needed.
    writer.Exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA page_size = 4096;");
    writer.Exec("BEGIN");
    writer.Exec(Resource::Schema().c_str());

    Statement language = writer.Prepare(
        "INSERT INTO LANGUAGE (LANG_CODE, LANG_NATIVE_NAME, ABREVIATION, LANG_ENGLISH_NAME, RTL) VALUES (?, ?, ?, ?, ?)");
    for (const Language& entry : content.languages) {
        writer.BindText(language.get(), 1, entry.code);
        writer.BindText(language.get(), 2, entry.nativeName);
        writer.BindText(language.get(), 3, entry.abbreviation);
        writer.BindText(language.get(), 4, entry.englishName);
        writer.BindInt(language.get(), 5, entry.rtl ? 1 : 0);
        writer.Run(language.get());
    }

    Statement definition = writer.Prepare("INSERT INTO RESOURCE_DEF (RES_DEF_ID, RES_NAME, RES_TYPE) VALUES (?, ?, ?)");
    for (const auto& [id, def] : content.resources) {
        writer.BindInt(definition.get(), 1, id);
        writer.BindText(definition.get(), 2, def.name);
        writer.BindInt(definition.get(), 3, static_cast<int>(def.type));
        writer.Run(definition.get());
    }

    Statement blob = writer.Prepare("INSERT INTO BLOB (BLOB_ID, DATA) VALUES (?, ?)");
    Statement value = writer.Prepare("INSERT INTO RESOURCE_VALUE (RES_DEF_ID, LANG_CODE, BLOB_ID) VALUES (?, ?, ?)");
    std::map<std::string, sqlite3_int64> blobIds;  // by data: identical values share a row
    for (const auto& [code, values] : content.values) {
        for (const auto& [id, entry] : values) {
            auto known = blobIds.find(entry.bytes);
            if (known == blobIds.end()) {
                const sqlite3_int64 blobId = static_cast<sqlite3_int64>(blobIds.size()) + 1;
                writer.BindInt(blob.get(), 1, blobId);
                writer.BindBlob(blob.get(), 2, entry.bytes);
                writer.Run(blob.get());
                known = blobIds.emplace(entry.bytes, blobId).first;
            }
            writer.BindInt(value.get(), 1, id);
            writer.BindText(value.get(), 2, code);
            writer.BindInt(value.get(), 3, known->second);
            writer.Run(value.get());
        }
    }

    writer.Exec("COMMIT");
    language.reset();
    definition.reset();
    blob.reset();
    value.reset();
    writer.Close();
}

}  // namespace content
