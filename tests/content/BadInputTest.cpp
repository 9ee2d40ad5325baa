// Malformed content: the tool names the file and line, writes nothing and
// leaves the outputs of an earlier build as they were.
#include "ContentFixture.h"

namespace content_test {

namespace {

struct BadInput {
    const char* name;
    Edit spoil;
    std::string file;        // the file that the message names,
    std::string linePrefix;  // at its line that starts so (none: the file alone)
    std::string message;
};

void PrintTo(const BadInput& input, std::ostream* out) { *out << input.name; }

class BadContent : public ContentFixture, public ::testing::WithParamInterface<BadInput> {};

TEST_P(BadContent, BuildAndCheckNameFileAndLineAndBuildWritesNothing)
{
    const BadInput& input = GetParam();
    writeFile(out() / "resources.db", "earlier database");
    writeFile(out() / "resources.zip", "earlier archive");
    input.spoil(content());
    const std::string expected = (input.linePrefix.empty() ? (content() / input.file).generic_string()
                                                           : Place(input.file, input.linePrefix)) +
                                 ": " + input.message;

    for (const ToolRun& run : {build(), check()}) {
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_NE(run.output.find(expected), std::string::npos) << "expected \"" << expected << "\" in:\n"
                                                                << run.output;
    }
    EXPECT_EQ(outNames(), (std::set<std::string>{"resources.db", "resources.zip"}));
    EXPECT_EQ(readFile(out() / "resources.db"), "earlier database");
    EXPECT_EQ(readFile(out() / "resources.zip"), "earlier archive");
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, BadContent,
    ::testing::Values(
        BadInput{"TextLineWithoutTab", replacing("texts/1033.txt", "9\tWelcome", "9 Welcome"), "texts/1033.txt",
                 "9 Welcome", "expected the resource id, a tab and the text"},
        BadInput{"IdNotANumber", replacing("texts/1037.txt", "10\t", "1O\t"), "texts/1037.txt", "1O\t",
                 "\"1O\" is not a resource id"},
        BadInput{"IdNotDeclared", replacing("texts/0.txt", "56\tText 56", "4056\tText 56"), "texts/0.txt", "4056\t",
                 "resource 4056 is not declared in resources.tsv"},
        BadInput{"IdGivenTwice", replacing("texts/1033.txt", "10\tThis", "9\tAgain\n10\tThis"), "texts/1033.txt",
                 "9\tAgain", "resource 9 of language 1033 is already given at "},
        BadInput{"PictureGivenAsText", replacing("texts/0.txt", "56\tText 56", "240\tText"), "texts/0.txt", "240\t",
                 "resource 240 (RESOURCE_240) is a picture; list it in files.tsv"},
        BadInput{"ReferencedFileMissing", [](const fs::path& c) { fs::remove(c / "offer" / "1037.json"); },
                 "files.tsv", "1037\t38", "file "},
        BadInput{"LanguageNotListed", replacing("files.tsv", "1037\t38", "1041\t38"), "files.tsv", "1041\t38",
                 "language 1041 is not listed in languages.tsv"},
        BadInput{"RightToLeftFlagNotZeroOrOne", replacing("languages.tsv", "\the\t1", "\the\tyes"), "languages.tsv",
                 "1037\t", "rtl must be 0 (left-to-right) or 1 (right-to-left), not \"yes\""},
        BadInput{"LanguageListedTwice",
                 replacing("languages.tsv", "1033\tEnglish\tEnglish\ten\t0\n",
                           "1033\tEnglish\tEnglish\ten\t0\n1033\tEnglisch\tEnglish\ten\t0\n"),
                 "languages.tsv", "1033\tEnglisch", "language 1033 is already listed at "},
        BadInput{"ColumnsSwappedInTheHeader",
                 replacing("languages.tsv", "code\tnative_name\tenglish_name", "code\tenglish_name\tnative_name"),
                 "languages.tsv", "code\t", "the first line must be the header"},
        BadInput{"MissingField", replacing("resources.tsv", "58\tRESOURCE_58\ttext", "58\ttext"), "resources.tsv",
                 "58\t", "expected 3 tab-separated fields"},
        BadInput{"UnknownType", replacing("resources.tsv", "241\tRESOURCE_241\tpicture", "241\tRESOURCE_241\timage"),
                 "resources.tsv", "241\t", "type must be \"text\" or \"picture\", not \"image\""},
        BadInput{"NameUsedTwice", replacing("resources.tsv", "5000\tEXTRA_NOTE", "5000\tRESOURCE_58"), "resources.tsv",
                 "58\t", "the name RESOURCE_58 is already used at "},
        BadInput{"TextFileOfAnUnlistedLanguage",
                 [](const fs::path& c) { writeFile(c / "texts" / "1041.txt", "9\tYokoso\n"); }, "texts/1041.txt", "",
                 "language 1041 is not listed in languages.tsv"}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

// A failure after the content was read (here: the archive cannot be renamed
// into place, because a folder has that name) leaves no partial file either.
TEST_F(ContentFixture, FailedWriteLeavesNoPartialFiles)
{
    writeFile(out() / "resources.db", "earlier database");
    fs::create_directories(out() / "resources.zip" / "occupied");

    ToolRun run = build();

    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("content-tool: build failed: "), std::string::npos) << run.output;
    EXPECT_EQ(outNames(), (std::set<std::string>{"resources.db", "resources.zip"}));
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
