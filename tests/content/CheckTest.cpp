// The check mode finds each kind of fault in content that is otherwise
// complete, names the language and the place, and reports nothing else.
#include "ContentFixture.h"

namespace content_test {

namespace {

using Check = ContentFixture;

TEST_F(Check, CompleteContentPassesCountingTheNeutralFallback)
{
    // Most texts and every picture exist only in the neutral language; all
    // known macros and a plain "$5" are used.
    ToolRun run = check();
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("content is complete: 2 languages"), std::string::npos) << run.output;
}

struct FaultCase {
    const char* name;
    Edit breakContent;
    std::vector<std::string> expected;  // parts of the report, in order
    int faults;                         // how many faults the report counts
};

void PrintTo(const FaultCase& fault, std::ostream* out) { *out << fault.name; }

class CheckFinds : public Check, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(CheckFinds, TheFaultAndNothingElse)
{
    const FaultCase& fault = GetParam();
    fault.breakContent(content());
    ToolRun run = check();

    EXPECT_EQ(run.exitCode, 1) << run.output;
    std::size_t position = 0;
    for (const std::string& part : fault.expected) {
        std::size_t found = run.output.find(part, position);
        EXPECT_NE(found, std::string::npos) << "\"" << part << "\" missing in:\n" << run.output;
        position = found == std::string::npos ? position : found + part.size();
    }
    const std::string count = std::to_string(fault.faults) + (fault.faults == 1 ? " fault found" : " faults found");
    EXPECT_NE(run.output.find(count), std::string::npos) << "expected " << count << " in:\n" << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CheckFinds,
    ::testing::Values(
        FaultCase{"TextMissingInOneLanguage", replacing("texts/1037.txt", "9\t\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D\n", ""),
                  {"language 1037 (Hebrew):", "missing text 9 RESOURCE_9"}, 1},
        FaultCase{"NeutralValueMissingForEveryLanguage", replacing("texts/0.txt", "56\tText 56\n", ""),
                  {"language 1033 (English):", "missing text 56", "language 1037 (Hebrew):", "missing text 56"}, 2},
        FaultCase{"PictureMissing", replacing("files.tsv", "0\t240\tpictures/picture.jpg\n", ""),
                  {"language 1033", "missing picture 240", "language 1037", "missing picture 240"}, 2},
        FaultCase{"PictureNotJpeg",
                  [](const fs::path& content) {
                      writeFile(content / "pictures" / "logo.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
                      replaceInFile(content / "files.tsv", "0\t239\tpictures/picture.jpg", "0\t239\tpictures/logo.png");
                  },
                  {"language 0 (Neutral):", "pictures/logo.png: 239 RESOURCE_239: the picture is not a JPEG file"}, 1},
        FaultCase{"PictureProgressive",
                  [](const fs::path& content) {
                      // The frame header says progressive (SOF2 instead of SOF0).
                      std::string jpeg = readFile(content / "pictures" / "picture.jpg");
                      jpeg.replace(jpeg.find("\xFF\xC0"), 2, "\xFF\xC2");
                      writeFile(content / "pictures" / "progressive.jpg", jpeg);
                      replaceInFile(content / "files.tsv", "0\t28\tpictures/picture.jpg",
                                    "0\t28\tpictures/progressive.jpg");
                  },
                  {"language 0", "pictures/progressive.jpg: 28 RESOURCE_28: the picture is a progressive JPEG"}, 1},
        FaultCase{"OfferDescriptionNotJson", replacing("offer/1033.json", "\"h\": \"Heading\",", "\"h\": \"Heading\""),
                  {"language 1033", "offer/1033.json:4: 38 RESOURCE_38: the offer description is not JSON"}, 1},
        FaultCase{"OfferDescriptionLacksATemplateKey", replacing("offer/1037.json", "  \"i\": \"Intro\",\n", ""),
                  {"language 1037", "lacks \"i\", which the template uses (\"{demo:i}\")"}, 1},
        FaultCase{"OfferPlaceholderPartOfAnother",
                  [](const fs::path& content) {
                      replaceInFile(content / "texts" / "0.txt", "168\t{%TAG%:$1}", "168\t<%TAG%:$1");
                      replaceInFile(content / "offer" / "template.html", "{demo:i}", "<demo:i");
                      replaceInFile(content / "offer" / "template.html", "{demo:i2}", "<demo:i2");
                  },
                  {"language 1033", "\"<demo:i\" is part of \"<demo:i2\"", "language 1037", "is part of"}, 2},
        FaultCase{"UnknownMacro", replacing("texts/1033.txt", "This installs $(^Name).", "This installs $(^Nmae)."),
                  {"language 1033", "texts/1033.txt:2: 10 RESOURCE_10: unknown macro \"$(^Nmae)\""}, 1},
        FaultCase{"UnknownEscape", replacing("texts/1037.txt", "$(^Name)", "$\\t$(^Name)"),
                  {"language 1037", "texts/1037.txt:2: 10 RESOURCE_10: unknown macro \"$\\t\""}, 1},
        FaultCase{"MacroInATextShownWithoutReplacement", replacing("texts/0.txt", "1\tText 1\n", "1\tSkip $(^Name)\n"),
                  {"language 0", "1 RESOURCE_1: the program shows this text without replacing macros"}, 1},
        FaultCase{"TextNotUtf8", replacing("texts/1033.txt", "9\tWelcome", "9\tWelcome to caf\xE9"),
                  {"language 1033", "texts/1033.txt:1: 9 RESOURCE_9: not valid UTF-8 (byte 15)"}, 1},
        FaultCase{"ResourceOfTheWrongType",
                  [](const fs::path& content) {
                      replaceInFile(content / "resources.tsv", "239\tRESOURCE_239\tpicture", "239\tRESOURCE_239\ttext");
                      replaceInFile(content / "files.tsv", "0\t239\tpictures/picture.jpg\n", "");
                      writeFile(content / "texts" / "0.txt",
                                readFile(content / "texts" / "0.txt") + "239\tnot a picture\n");
                  },
                  {"language 0", "resources.tsv:", "resource 239 RESOURCE_239 must be a picture"}, 1},
        FaultCase{"DigestDeclaredAsAPicture",
                  replacing("resources.tsv", "301\tRESOURCE_301\ttext", "301\tRESOURCE_301\tpicture"),
                  {"/resources.tsv:4: resource 301 RESOURCE_301 must be a text "
                   "(SHA-256 digest of the installer at 61)"},
                  1}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace content_test
