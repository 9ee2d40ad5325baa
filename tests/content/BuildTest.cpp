// A build of the project's demo content round-trips: the database answers
// every resource the program reads in every language, through the program's
// own statements and its fallback to the neutral language; it holds exactly
// what the content folder says; and the archive holds it at its top level.
#include "ContentFixture.h"
#include "ProgramView.h"

#include "ContentReader.h"
#include "Jpeg.h"
#include "TextRules.h"

#include <rapidjson/document.h>
#include <unzip.h>

#include <map>
#include <memory>

namespace content_test {

namespace {

void replaceAll(std::string& text, const std::string& search, const std::string& value)
{
    for (std::size_t at = text.find(search); !search.empty() && at != std::string::npos;
         at = text.find(search, at + value.size())) {
        text.replace(at, search.size(), value);
    }
}

class DemoBuild : public ContentFixture {
protected:
    void SetUp() override
    {
        // Outputs of an earlier build are replaced.
        writeFile(out() / "resources.db", "old database");
        writeFile(out() / "resources.zip", "old archive");
        ToolRun run = runTool({"build", DEMO_CONTENT_DIR, out().string()});
        ASSERT_EQ(run.exitCode, 0) << run.output;
        ASSERT_EQ(outNames(), (std::set<std::string>{"resources.db", "resources.zip"}));
        view_ = std::make_unique<ProgramView>(out() / "resources.db");
    }

    ProgramView& view() { return *view_; }

    std::vector<std::string> userLanguages()
    {
        std::vector<std::string> codes;
        for (const Language& language : view().languages()) {
            if (language.code != "0") {
                codes.push_back(language.code);
            }
        }
        return codes;
    }

private:
    std::unique_ptr<ProgramView> view_;
};

TEST_F(DemoBuild, HasTheLanguagesWithHebrewRightToLeft)
{
    std::map<std::string, Language> byCode;
    for (const Language& language : view().languages()) {
        EXPECT_TRUE(byCode.emplace(language.code, language).second) << "language " << language.code << " twice";
        EXPECT_FALSE(language.nativeName.empty()) << language.code;
        EXPECT_FALSE(content::FindInvalidUtf8(language.nativeName)) << language.code;
    }
    for (const char* code : {"0", "1033", "1031", "1036", "1037"}) {
        ASSERT_EQ(byCode.count(code), 1u) << "language " << code;
        EXPECT_EQ(byCode[code].rtl, std::string(code) == "1037" ? 1 : 0) << code;
    }
    EXPECT_EQ(byCode["1031"].englishName, "German");
    EXPECT_EQ(byCode["1033"].abbreviation, "en");
}

TEST_F(DemoBuild, EveryLanguageResolvesEveryResourceTheProgramReads)
{
    const std::vector<std::string> codes = userLanguages();
    ASSERT_GE(codes.size(), 4u);
    for (const std::string& code : codes) {
        for (const ProgramId& resource : programIds()) {
            std::string bytes;
            const int type = resource.picture ? kPicture : kText;
            ASSERT_TRUE(view().fetch(code, resource.id, type, bytes))
                << "language " << code << " lacks resource " << resource.id;
            if (resource.picture) {
                EXPECT_EQ(bytes.compare(0, 3, "\xFF\xD8\xFF"), 0) << code << "/" << resource.id << " is not a JPEG";
                EXPECT_LT(bytes.size(), 64u * 1024) << code << "/" << resource.id << " is large";
            } else {
                EXPECT_FALSE(content::FindInvalidUtf8(bytes)) << code << "/" << resource.id;
            }
            // Looked up with the other type, the resource is not found.
            std::string ignored;
            EXPECT_FALSE(view().fetch(code, resource.id, resource.picture ? kText : kPicture, ignored))
                << code << "/" << resource.id;
        }
    }
}

TEST_F(DemoBuild, PicturesHaveTheSizesTheirControlsShow)
{
    // Dialog units at 96 DPI with the 8-point dialog font: 1.5 px across, 1.625 px down.
    const std::map<int, std::pair<int, int>> sizes = {
        {239, {689, 59}}, {25, {689, 23}}, {26, {689, 23}}, {27, {689, 23}},
        {28, {689, 23}},  {240, {189, 423}}, {241, {160, 160}}};
    for (const std::string& code : userLanguages()) {
        for (const auto& [id, size] : sizes) {
            std::string bytes;
            ASSERT_TRUE(view().fetch(code, id, kPicture, bytes)) << code << "/" << id;
            const std::optional<content::JpegFrame> frame = content::ReadJpegFrame(bytes);
            ASSERT_TRUE(frame) << code << "/" << id;
            EXPECT_EQ(frame->width, size.first) << code << "/" << id;
            EXPECT_EQ(frame->height, size.second) << code << "/" << id;
            EXPECT_FALSE(frame->progressive) << code << "/" << id;
        }
    }
}

TEST_F(DemoBuild, TheNeutralLanguageHoldsTheSharedValuesAndNoSecondFallback)
{
    std::string bytes;
    EXPECT_TRUE(view().fetchExact("0", 56, kText, bytes));
    EXPECT_EQ(bytes, "http://127.0.0.1:47800/KestrafinInstaller.exe");
    EXPECT_TRUE(view().fetchExact("0", 61, kText, bytes));
    EXPECT_EQ(bytes, "http://127.0.0.1:47800/PartnerInstaller.exe");
    EXPECT_NE(view().text("1031", 57).find("$(^Lang"), std::string::npos);
    EXPECT_NE(view().text("1037", 62).find("$(^Lang"), std::string::npos);
    // Language texts are translated, not shared: the German welcome differs from the English one.
    EXPECT_NE(view().text("1031", 9), view().text("1033", 9));
    EXPECT_NE(view().text("1037", 10), view().text("1036", 10));
    // A language the content does not have finds only the neutral values.
    EXPECT_TRUE(view().fetch("1041", 58, kText, bytes));
    EXPECT_FALSE(view().fetch("1041", 9, kText, bytes));
}

TEST_F(DemoBuild, HoldsExactlyWhatTheContentFolderSays)
{
    const content::Content content = content::ReadContent(DEMO_CONTENT_DIR);
    int compared = 0;
    for (const auto& [code, values] : content.values) {
        for (const auto& [id, value] : values) {
            const int type = content.FindResource(id)->type == content::ResourceType::Picture ? kPicture : kText;
            std::string bytes;
            ASSERT_TRUE(view().fetchExact(code, id, type, bytes)) << code << "/" << id;
            EXPECT_EQ(bytes, value.bytes) << code << "/" << id << " from " << value.origin.Describe();
            ++compared;
        }
    }
    EXPECT_EQ(compared, view().valueCount()) << "the database holds values that the content does not give";
}

TEST_F(DemoBuild, OfferPageFillsEveryPlaceholderInEveryLanguage)
{
    for (const std::string& code : userLanguages()) {
        std::string html = view().text(code, 40);
        ASSERT_NE(html.find("<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">"), std::string::npos);
        rapidjson::Document description;
        const std::string json = view().text(code, 38);
        ASSERT_FALSE(description.Parse(json.c_str()).HasParseError()) << code;
        std::string pattern = view().text(code, 168);
        ASSERT_NE(pattern.find("$1"), std::string::npos);
        for (const char* key : {"b1", "b2", "b3", "b4", "d1", "dir", "f", "h", "i", "i2", "t1", "t2"}) {
            std::string placeholder = pattern;
            replaceAll(placeholder, "$1", key);
            replaceAll(placeholder, view().text(code, 166), view().text(code, 157));
            ASSERT_NE(html.find(placeholder), std::string::npos) << code << ": the template lacks " << placeholder;
            ASSERT_TRUE(description.HasMember(key) && description[key].IsString()) << code << ": " << key;
            replaceAll(html, placeholder, description[key].GetString());
        }
        EXPECT_NE(html.find(code == "1037" ? "dir=\"rtl\"" : "dir=\"ltr\""), std::string::npos) << code;
        std::string beforeFilling = pattern.substr(0, pattern.find("$1"));
        replaceAll(beforeFilling, view().text(code, 166), view().text(code, 157));
        EXPECT_EQ(html.find(beforeFilling), std::string::npos) << code << ": a placeholder is left";
    }
}

TEST_F(DemoBuild, ArchiveHoldsTheDatabaseAtItsTopLevel)
{
    unzFile archive = unzOpen64((out() / "resources.zip").c_str());
    ASSERT_NE(archive, nullptr);
    unz_global_info64 global{};
    ASSERT_EQ(unzGetGlobalInfo64(archive, &global), UNZ_OK);
    EXPECT_EQ(global.number_entry, 1u);

    ASSERT_EQ(unzGoToFirstFile(archive), UNZ_OK);
    char name[256] = {};
    unz_file_info64 info{};
    ASSERT_EQ(unzGetCurrentFileInfo64(archive, &info, name, sizeof name, nullptr, 0, nullptr, 0), UNZ_OK);
    EXPECT_STREQ(name, "resources.db");
    EXPECT_EQ(info.compression_method, 8u);  // deflated

    ASSERT_EQ(unzOpenCurrentFile(archive), UNZ_OK);
    std::string extracted(static_cast<std::size_t>(info.uncompressed_size), '\0');
    int read = unzReadCurrentFile(archive, extracted.data(), static_cast<unsigned>(extracted.size()));
    EXPECT_EQ(read, static_cast<int>(extracted.size()));
    EXPECT_EQ(unzCloseCurrentFile(archive), UNZ_OK);  // checks the CRC
    unzClose(archive);

    EXPECT_EQ(extracted, readFile(out() / "resources.db"));
    EXPECT_LT(info.compressed_size, info.uncompressed_size);
}

// The entries carry SOURCE_DATE_EPOCH's date in UTC, whatever the time zone,
// not the build's time: the same content gives the same archive.
TEST_F(ContentFixture, ArchiveDateIsSourceDateEpochInUtc)
{
    ::setenv("SOURCE_DATE_EPOCH", "1700000000", 1);  // 2023-11-14 22:13:20 UTC
    ::setenv("TZ", "Asia/Tokyo", 1);
    const ToolRun run = runTool({"build", DEMO_CONTENT_DIR, out().string()});
    ::unsetenv("SOURCE_DATE_EPOCH");
    ::unsetenv("TZ");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    unzFile archive = unzOpen64((out() / "resources.zip").c_str());
    ASSERT_NE(archive, nullptr);
    unz_file_info64 info{};
    ASSERT_EQ(unzGoToFirstFile(archive), UNZ_OK);
    ASSERT_EQ(unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0), UNZ_OK);
    unzClose(archive);
    EXPECT_EQ(info.dosDate, (43u << 25 | 11u << 21 | 14u << 16 | 22u << 11 | 13u << 5 | 10u));
}

}  // namespace

}  // namespace content_test
