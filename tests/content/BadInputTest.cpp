// Malformed content: the tool names the file and line, writes nothing and
// leaves the outputs of an earlier build as they were.
#include "ContentFixture.h"

#include <functional>
#include <set>

namespace content_test {

namespace {

struct BadInput {
    const char* name;
    std::function<void(const fs::path& content)> spoil;
    std::function<std::string(const fs::path& content)> place;  // "file:line" expected in the message
    std::string message;
};

void PrintTo(const BadInput& input, std::ostream* out) { *out << input.name; }

std::string at(const fs::path& content, const std::string& file, const std::string& linePrefix)
{
    return (content / file).lexically_normal().generic_string() + ":" +
           std::to_string(lineNumberOf(content / file, linePrefix));
}

class BadContent : public ContentFixture, public ::testing::WithParamInterface<BadInput> {
protected:
    std::set<std::string> outFolderNames()
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(out())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }
};

TEST_P(BadContent, BuildNamesFileAndLineAndWritesNothing)
{
    const BadInput& input = GetParam();
    writeFile(out() / "resources.db", "earlier database");
    writeFile(out() / "resources.zip", "earlier archive");
    input.spoil(content());

    ToolRun run = runTool({"build", content().string(), out().string()});

    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find(input.place(content()) + ": " + input.message), std::string::npos)
        << "expected \"" << input.place(content()) << ": " << input.message << "\" in:\n" << run.output;
    EXPECT_EQ(outFolderNames(), (std::set<std::string>{"resources.db", "resources.zip"}));
    EXPECT_EQ(readFile(out() / "resources.db"), "earlier database");
    EXPECT_EQ(readFile(out() / "resources.zip"), "earlier archive");
}

TEST_P(BadContent, CheckNamesFileAndLine)
{
    const BadInput& input = GetParam();
    input.spoil(content());
    ToolRun run = runTool({"check", content().string()});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find(input.place(content()) + ": " + input.message), std::string::npos) << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, BadContent,
    ::testing::Values(
        BadInput{"TextLineWithoutTab",
                 [](const fs::path& c) { replaceInFile(c / "texts" / "1033.txt", "9\tWelcome", "9 Welcome"); },
                 [](const fs::path& c) { return at(c, "texts/1033.txt", "9 Welcome"); },
                 "expected the resource id, a tab and the text"},
        BadInput{"IdNotANumber",
                 [](const fs::path& c) { replaceInFile(c / "texts" / "1037.txt", "10\t", "1O\t"); },
                 [](const fs::path& c) { return at(c, "texts/1037.txt", "1O\t"); },
                 "\"1O\" is not a resource id"},
        BadInput{"IdNotDeclared",
                 [](const fs::path& c) { replaceInFile(c / "texts" / "0.txt", "56\tText 56", "4056\tText 56"); },
                 [](const fs::path& c) { return at(c, "texts/0.txt", "4056\t"); },
                 "resource 4056 is not declared in resources.tsv"},
        BadInput{"IdGivenTwice",
                 [](const fs::path& c) {
                     replaceInFile(c / "texts" / "1033.txt", "10\tThis", "9\tAgain\n10\tThis");
                 },
                 [](const fs::path& c) { return at(c, "texts/1033.txt", "9\tAgain"); },
                 "resource 9 of language 1033 is already given at "},
        BadInput{"PictureGivenAsText",
                 [](const fs::path& c) { replaceInFile(c / "texts" / "0.txt", "56\tText 56", "240\tText"); },
                 [](const fs::path& c) { return at(c, "texts/0.txt", "240\t"); },
                 "resource 240 (RESOURCE_240) is a picture; list it in files.tsv"},
        BadInput{"ReferencedFileMissing",
                 [](const fs::path& c) { fs::remove(c / "offer" / "1037.json"); },
                 [](const fs::path& c) { return at(c, "files.tsv", "1037\t38"); },
                 "file "},
        BadInput{"LanguageNotListed",
                 [](const fs::path& c) { replaceInFile(c / "files.tsv", "1037\t38", "1041\t38"); },
                 [](const fs::path& c) { return at(c, "files.tsv", "1041\t38"); },
                 "language 1041 is not listed in languages.tsv"},
        BadInput{"RightToLeftFlagNotZeroOrOne",
                 [](const fs::path& c) { replaceInFile(c / "languages.tsv", "\the\t1", "\the\tyes"); },
                 [](const fs::path& c) { return at(c, "languages.tsv", "1037\t"); },
                 "rtl must be 0 (left-to-right) or 1 (right-to-left), not \"yes\""},
        BadInput{"LanguageListedTwice",
                 [](const fs::path& c) {
                     replaceInFile(c / "languages.tsv", "1033\tEnglish\tEnglish\ten\t0\n",
                                   "1033\tEnglish\tEnglish\ten\t0\n1033\tEnglisch\tEnglish\ten\t0\n");
                 },
                 [](const fs::path& c) { return at(c, "languages.tsv", "1033\tEnglisch"); },
                 "language 1033 is already listed at "},
        BadInput{"ColumnsSwappedInTheHeader",
                 [](const fs::path& c) {
                     replaceInFile(c / "languages.tsv", "code\tnative_name\tenglish_name",
                                   "code\tenglish_name\tnative_name");
                 },
                 [](const fs::path& c) { return at(c, "languages.tsv", "code\t"); },
                 "the first line must be the header"},
        BadInput{"MissingField",
                 [](const fs::path& c) { replaceInFile(c / "resources.tsv", "58\tRESOURCE_58\ttext", "58\ttext"); },
                 [](const fs::path& c) { return at(c, "resources.tsv", "58\t"); },
                 "expected 3 tab-separated fields"},
        BadInput{"UnknownType",
                 [](const fs::path& c) {
                     replaceInFile(c / "resources.tsv", "241\tRESOURCE_241\tpicture", "241\tRESOURCE_241\timage");
                 },
                 [](const fs::path& c) { return at(c, "resources.tsv", "241\t"); },
                 "type must be \"text\" or \"picture\", not \"image\""},
        BadInput{"NameUsedTwice",
                 [](const fs::path& c) {
                     replaceInFile(c / "resources.tsv", "5000\tEXTRA_NOTE", "5000\tRESOURCE_58");
                 },
                 [](const fs::path& c) { return at(c, "resources.tsv", "58\t"); },
                 "the name RESOURCE_58 is already used at "},
        BadInput{"TextFileOfAnUnlistedLanguage",
                 [](const fs::path& c) { writeFile(c / "texts" / "1041.txt", "9\tYokoso\n"); },
                 [](const fs::path& c) { return (c / "texts" / "1041.txt").generic_string(); },
                 "language 1041 is not listed in languages.tsv"}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

// A failure after the content was read (here: the archive cannot be renamed
// into place, because a folder has that name) leaves no partial file either.
TEST_F(ContentFixture, FailedWriteLeavesNoPartialFiles)
{
    writeFile(out() / "resources.db", "earlier database");
    fs::create_directories(out() / "resources.zip" / "occupied");

    ToolRun run = runTool({"build", content().string(), out().string()});

    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("content-tool: build failed: "), std::string::npos) << run.output;
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(out())) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"resources.db", "resources.zip"}));
    EXPECT_EQ(readFile(out() / "resources.db"), "earlier database");
}

TEST_F(ContentFixture, CommandLineMistakesShowTheUsage)
{
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"build", content().string()}, {"verify", content().string()}}) {
        ToolRun run = runTool(arguments);
        EXPECT_EQ(run.exitCode, 2) << run.output;
        EXPECT_NE(run.output.find("usage: content-tool build CONTENT_DIR OUT_DIR"), std::string::npos) << run.output;
    }
    ToolRun missing = runTool({"check", (root() / "nowhere").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("nowhere: not a content folder"), std::string::npos) << missing.output;
}

}  // namespace

}  // namespace content_test
