// A build round-trips: read with the program's own statements, the database and the archive hold exactly the content.
#include "ContentFixture.h"

#include "ContentReader.h"

#include <sqlite3.h>
#include <unzip.h>

#include <memory>

namespace content_test {

namespace {

using Rows = std::vector<std::vector<std::string>>;

class Build : public ContentFixture {
protected:
    // Every row of a statement on the built database, each column as its bytes.
    Rows query(const char* sql, const std::vector<std::string>& parameters = {}) const
    {
        sqlite3_stmt* raw = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(database_.get(), sql, -1, &raw, nullptr), SQLITE_OK) << sql;
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
        for (std::size_t i = 0; i < parameters.size(); ++i)
            sqlite3_bind_text(raw, static_cast<int>(i) + 1, parameters[i].c_str(), -1, SQLITE_TRANSIENT);
        Rows rows;
        while (sqlite3_step(raw) == SQLITE_ROW) {
            rows.emplace_back();
            for (int column = 0; column < sqlite3_column_count(raw); ++column) {
                const auto* data = static_cast<const char*>(sqlite3_column_blob(raw, column));
                rows.back().emplace_back(data ? data : "", static_cast<std::size_t>(sqlite3_column_bytes(raw, column)));
            }
        }
        return rows;
    }

    // The value of this language alone, as the program fetches it.
    std::string value(const std::string& code, std::int32_t id, content::ResourceType type) const
    {
        const Rows blob = query(Resource::kByIdStatement, {code, std::to_string(id), std::to_string(type)});
        const Rows data = blob.empty() ? Rows{} : query(Resource::kBlobStatement, {blob[0][0]});
        EXPECT_EQ(data.size(), 1u) << "language " << code << ", resource " << id;
        return data.empty() ? std::string() : data[0][0];
    }

    std::unique_ptr<sqlite3, int (*)(sqlite3*)> database_{nullptr, sqlite3_close};
};

TEST_F(Build, DatabaseAndArchiveHoldExactlyTheContent)
{
    writeFile(out() / "resources.db", "earlier database");  // replaced by the build
    ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);         // 2023-11-14 22:13:20 UTC
    ::setenv("TZ", "Asia/Tokyo", 1);
    const ToolRun run = build();
    ::unsetenv("SOURCE_DATE_EPOCH");
    ::unsetenv("TZ");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(std::distance(fs::directory_iterator(out()), fs::directory_iterator()), 2) << "partial files left";
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open_v2((out() / "resources.db").c_str(), &database, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    database_.reset(database);

    const std::string hebrew = "\xD7\xA2\xD7\x91\xD7\xA8\xD7\x99\xD7\xAA";
    EXPECT_EQ(query(Resource::kLanguagesStatement), (Rows{{"0", "Neutral", "", "Neutral", "0"},
                                                          {"1033", "English", "en", "English", "0"},
                                                          {"1037", hebrew, "he", "Hebrew", "1"}}));
    EXPECT_EQ(value("1037", 301, RESOURCE_TEXT), kAbcDigest);  // a file's digest, in lower case
    const content::Content content = content::ReadContent(this->content());
    std::size_t count = 0;
    for (const auto& [code, values] : content.values)
        for (const auto& [id, stored] : values) {
            EXPECT_EQ(value(code, id, content.FindResource(id)->type), stored.bytes) << stored.origin.Describe();
            ++count;
        }
    EXPECT_EQ(query("select count(*) from RESOURCE_VALUE"), (Rows{{std::to_string(count)}}));

    const std::unique_ptr<void, int (*)(unzFile)> archive(unzOpen64((out() / "resources.zip").c_str()), unzClose);
    ASSERT_EQ(unzGoToFirstFile(archive.get()), UNZ_OK);
    char name[64] = {};
    unz_file_info64 info{};
    ASSERT_EQ(unzGetCurrentFileInfo64(archive.get(), &info, name, sizeof name, nullptr, 0, nullptr, 0), UNZ_OK);
    EXPECT_STREQ(name, "resources.db");
    EXPECT_EQ(info.compression_method, 8u);  // deflated
    // SOURCE_DATE_EPOCH's date in UTC, whatever the time zone.
    EXPECT_EQ(info.dosDate, (43u << 25 | 11u << 21 | 14u << 16 | 22u << 11 | 13u << 5 | 10u));
    ASSERT_EQ(unzOpenCurrentFile(archive.get()), UNZ_OK);
    std::string extracted(static_cast<std::size_t>(info.uncompressed_size), '\0');
    EXPECT_EQ(unzReadCurrentFile(archive.get(), extracted.data(), static_cast<unsigned>(extracted.size())),
              static_cast<int>(extracted.size()));
    EXPECT_EQ(unzCloseCurrentFile(archive.get()), UNZ_OK);  // checks the CRC
    EXPECT_EQ(extracted, readFile(out() / "resources.db"));
}

}  // namespace

}  // namespace content_test
