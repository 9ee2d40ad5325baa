// The check names each fault's place, warns of unchecked http:// installers; malformed content stops check and build.
#include "ContentFixture.h"

#include "ContentCheck.h"
#include "ContentReader.h"

#include <regex>
#include <set>

namespace content_test {

namespace {

struct CheckCase {
    const char* name;
    std::vector<Edit> edits;
    std::vector<std::string> expected;  // parts of the report, in order
    std::string ending;                 // the report's last lines; none: the content is malformed
};

void PrintTo(const CheckCase& test, std::ostream* out) { *out << test.name; }

class EarlierOutputs : public ContentFixture {
protected:
    EarlierOutputs() { writeFile(out() / "resources.db", "earlier database"); }
    void expectEarlierOutputs() const
    {
        EXPECT_EQ(std::distance(fs::directory_iterator(out()), fs::directory_iterator()), 2) << "partial files left";
        EXPECT_EQ(readFile(out() / "resources.db"), "earlier database");
    }
};

class Check : public EarlierOutputs, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(Check, ReportsTheFaultAndNothingElse)
{
    const CheckCase& test = GetParam();
    const bool malformed = test.ending.empty();
    for (const Edit& edit : test.edits)
        edit(content());
    std::vector<ToolRun> runs{check()};
    if (malformed) {
        writeFile(out() / "resources.zip", "earlier archive");
        runs.push_back(build());
        expectEarlierOutputs();
        EXPECT_EQ(readFile(out() / "resources.zip"), "earlier archive");
    } else {
        const std::string& report = runs[0].output;
        EXPECT_EQ(report.substr(report.size() - std::min(report.size(), test.ending.size())), test.ending) << report;
    }
    for (const ToolRun& run : runs) {
        EXPECT_EQ(run.exitCode, malformed || test.ending.find("fault") != std::string::npos ? 1 : 0) << run.output;
        std::size_t position = 0;
        for (const std::string& part : test.expected) {
            const std::size_t found = run.output.find(part, position);
            EXPECT_NE(found, std::string::npos) << "\"" << part << "\" missing in:\n" << run.output;
            position = found == std::string::npos ? position : found + part.size();
        }
    }
}

const std::string kOneFault = "\n1 fault found\n", kTwoFaults = "\n2 faults found\n";
const std::string kComplete = "every resource the program reads is present\n", kWarned = kComplete + "1 warning\n";
const std::string kHttpWarning = ": a plain http:// address without a digest (";

INSTANTIATE_TEST_SUITE_P(
    Faults, Check,
    ::testing::Values(
        // Most values only in the neutral language; every known macro and a plain "$5".
        CheckCase{"CompleteContent", {}, {"digest " + kAbcDigest + " of ", "installers/partner.exe (301",
                                           "content is complete: 2 languages"}, kComplete},
        CheckCase{"UnfilledPlaceholders", {replacing("offer/template.html", "</h1>", "{demo:h3}{demo:a-b}</h1>")},
                  {"language 1033", "template.html:2: the placeholder \"{demo:h3}\" is of the key \"h3\"",
                   "the placeholder \"{demo:a-b}\" is of the key \"a-b\""}, "\n4 faults found\n"},
        CheckCase{"EmptyTextAndOfferValueWarn", {replacing("texts/1033.txt", "9\tWelcome", "9\t"),
                   replacing("offer/1033.json", "\"Intro\"", "\"\"")}, {"warning: ", "1033.txt:1: 9 WELCOME_TITLE: the "
                   "text is empty", "warning: ", "\"i\" is empty, so the page shows"}, kComplete + "2 warnings\n"},
        CheckCase{"DirAgainstTheLanguage", {replacing("offer/1037.json", "\"rtl\"", "\"ltr\"")},
                  {"language 1037", "\"dir\" is \"ltr\", but the language reads rtl"}, "\n1 fault found\n"},
        CheckCase{"LinkAddressNotOpenable", {replacing("texts/0.txt", "https://b", "file:///C:/x.exe")},
                  {"159 LINK_PRIVACY_URL: the link address \"file:///C:/x.exe\" is not http"}, "\n1 fault found\n"},
        CheckCase{"BareAmpersandAndLessThan", {replacing("offer/1033.json", "Heading", "Fish &amp; &#x4A; & Chips"),
                   replacing("offer/1033.json", "Intro", "<b>1</b> < 2")},
                  {"\"h\" holds a bare '&' (\"& Chips\")", "\"i\" holds a bare '<' (\"< 2\")"}, "\n2 faults found\n"},
        CheckCase{"TextMissingInOneLanguage", {replacing("texts/1037.txt", "9\t", "#9\t")},
                  {"language 1037 (Hebrew):\n  missing text 9 WELCOME_TITLE"}, kOneFault},
        CheckCase{"PictureNotJpeg", {replacing("files.tsv", "0\t239\tpictures/picture.jpg", "0\t239\tfiles.tsv")},
                  {"language 0 (Neutral):", "files.tsv: 239 PICTURE_BANNER: the picture is not a JPEG file"}, kOneFault},
        CheckCase{"PictureProgressive",  // the frame header says progressive: SOF2 instead of SOF0
                  {[](const fs::path& c) { fs::copy_file(c / "pictures" / "picture.jpg", c / "p.jpg"); },
                   replacing("p.jpg", "\xFF\xC0", "\xFF\xC2"), replacing("files.tsv", "28\tpictures/picture", "28\tp")},
                  {"language 0", "p.jpg: 28 PICTURE_STRIP_WELCOME: the picture is a progressive JPEG"}, kOneFault},
        CheckCase{"OfferDescriptionNotJson", {replacing("offer/1033.json", "\"Heading\",", "\"Heading\"")},
                  {"language 1033", "offer/1033.json:4: 38 OFFER_DESCRIPTION: the offer description is not JSON"}, kOneFault},
        CheckCase{"OfferDescriptionLacksATemplateKey", {replacing("offer/1037.json", "\"i\": \"I\", ", "")},
                  {"language 1037", "lacks \"i\", which the template uses (\"{demo:i}\")"}, kOneFault},
        CheckCase{"OfferPlaceholderPartOfAnother",
                  {replacing("texts/0.txt", "168\t{%TAG%:$1}", "168\t<%TAG%:$1"),
                   replacing("offer/template.html", "{demo:i}", "<demo:i"),
                   replacing("offer/template.html", "{demo:i2}", "<demo:i2")},
                  {"language 1033", "\"<demo:i\" is part of \"<demo:i2\"", "language 1037", "is part of"}, kTwoFaults},
        CheckCase{"PlaceholderPatternWithoutTheKey", {replacing("texts/0.txt", ":$1}", "}")},
                  {"language 1033", "pattern \"{%TAG%}\" has no \"$1\"", "language 1037"}, kTwoFaults},
        CheckCase{"UnknownMacro", {replacing("texts/1033.txt", "$(^Name).", "$(^Nmae).")},
                  {"language 1033", "texts/1033.txt:2: 10 WELCOME_BODY: unknown macro \"$(^Nmae)\""}, kOneFault},
        CheckCase{"MacroInATextShownWithoutReplacement", {replacing("texts/0.txt", "\tText 1\n", "\tSkip $(^Name)\n")},
                  {"language 0", "1 BUTTON_SKIP: the program shows this text without replacing macros"}, kOneFault},
        CheckCase{"TextNotUtf8", {replacing("texts/1033.txt", "9\tWelcome", "9\tWelcome to caf\xE9")},
                  {"language 1033", "texts/1033.txt:1: 9 WELCOME_TITLE: not valid UTF-8 (byte 15)"}, kOneFault},
        CheckCase{"ResourceOfTheWrongType",
                  {replacing("resources.tsv", "239\tPICTURE_BANNER\tpicture", "239\tPICTURE_BANNER\ttext"),
                   replacing("files.tsv", "0\t239\tpictures/picture.jpg\n", ""), appending("texts/0.txt", "239\tText")},
                  {"language 0", "resources.tsv:", "resource 239 PICTURE_BANNER must be a picture"}, kOneFault},
        CheckCase{"NameOtherThanTheProgramsOne", {replacing("resources.tsv", "9\tWELCOME_TITLE", "9\tWELCOME_TEXT")},
                  {"language 0", "resources.tsv:", "resource 9 WELCOME_TEXT is WELCOME_TITLE to the program"}, kOneFault},
        CheckCase{"DigestNotSixtyFourHexDigits", {appending("texts/1033.txt", "300\t" + kAbcDigest.substr(1))},
                  {"language 1033 (English):\n  ", "/texts/1033.txt:3: 300 PRODUCT_INSTALLER_SHA256: the digest \"" +
                   kAbcDigest.substr(1, 40) + "...\" is not 64 hexadecimal digits, so the program refuses"}, kOneFault},
        CheckCase{"PlainHttpAddressWithoutADigestIsAWarningOnly", {replacing("texts/0.txt", "56\thttps", "56\thttp")},
                  {"language 0 (Neutral):\n  warning: ", "/texts/0.txt:2: 56 PRODUCT_INSTALLER_URL" + kHttpWarning +
                   "300 PRODUCT_INSTALLER_SHA256): an installer altered on its way would be launched\ncontent is complete: "},
                  kWarned},
        CheckCase{"UpperCaseSchemeOfOneLanguageWarnsInIt", {appending("texts/1033.txt", "61\tHTTP://127.0.0.1/p.exe")},
                  {"language 1033 (English):\n  warning: ", "/texts/1033.txt:3: 61 OFFER_INSTALLER_URL" + kHttpWarning},
                  kWarned},
        // Hebrew reads the neutral address with a digest of its own; English has none.
        CheckCase{"DigestOfOnlySomeReadersStillWarns", {replacing("texts/0.txt", "61\thttps", "61\thttp")},
                  {"language 0 (Neutral):\n  warning: ", "/texts/0.txt:3: 61 OFFER_INSTALLER_URL" + kHttpWarning + "301"},
                  kWarned},
        CheckCase{"UpperCaseDigestForEveryReaderSilencesTheWarning", {replacing("texts/0.txt", "56\thttps", "56\thttp"),
                   appending("texts/0.txt", "300\tBA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD")},
                  {"content is complete"}, kComplete},
        CheckCase{"TextLineWithoutTab", {replacing("texts/1033.txt", "10\tThis", "10 This")},
                  {"texts/1033.txt:2: expected the resource id, a tab and the text"}, ""},
        CheckCase{"IdNotANumber", {replacing("texts/1037.txt", "10\t", "1O\t")},
                  {"texts/1037.txt:2: \"1O\" is not a resource id"}, ""},
        CheckCase{"IdNotDeclared", {replacing("texts/0.txt", "56\thttps", "4056\thttps")},
                  {"texts/0.txt:2: resource 4056 is not declared in resources.tsv"}, ""},
        CheckCase{"IdGivenTwice", {appending("texts/1033.txt", "9\tAgain")},
                  {"texts/1033.txt:3: resource 9 of language 1033 is already given at "}, ""},
        CheckCase{"PictureGivenAsText", {appending("texts/1037.txt", "240\tText")},
                  {"texts/1037.txt:3: resource 240 (PICTURE_MESSAGE_PAGE) is a picture; list it in files.tsv"}, ""},
        CheckCase{"ReferencedFileMissing", {[](const fs::path& c) { fs::remove(c / "offer" / "1037.json"); }},
                  {"files.tsv:4: file "}, ""},
        CheckCase{"LanguageNotListed", {replacing("files.tsv", "1037\t38", "1041\t38")},
                  {"files.tsv:4: language 1041 is not listed in languages.tsv"}, ""},
        CheckCase{"RightToLeftFlagNotZeroOrOne", {replacing("languages.tsv", "\the\t1", "\the\tyes")},
                  {"languages.tsv:5: rtl must be 0 (left-to-right) or 1 (right-to-left), not \"yes\""}, ""},
        CheckCase{"LanguageListedTwice", {appending("languages.tsv", "1033\tEnglisch\tEnglish\ten\t0")},
                  {"languages.tsv:6: language 1033 is already listed at "}, ""},
        CheckCase{"ColumnsSwappedInTheHeader",
                  {replacing("languages.tsv", "code\tnative_name\tenglish_name", "code\tenglish_name\tnative_name")},
                  {"languages.tsv:2: the first line must be the header"}, ""},
        CheckCase{"MissingField", {replacing("resources.tsv", "300\tPRODUCT_INSTALLER_SHA256\ttext", "300\ttext")},
                  {"resources.tsv:3: expected 3 tab-separated fields"}, ""},
        CheckCase{"UnknownType", {replacing("resources.tsv", "301\tOFFER_INSTALLER_SHA256\ttext", "301\tOFFER_INSTALLER_SHA256\timage")},
                  {"resources.tsv:4: type must be \"text\" or \"picture\", not \"image\""}, ""},
        CheckCase{"IdDeclaredTwice", {replacing("resources.tsv", "301\tOFFER_INSTALLER_SHA256", "300\tOFFER_INSTALLER_SHA256")},
                  {"resources.tsv:4: resource 300 is already declared at "}, ""},
        CheckCase{"NameUsedTwice", {replacing("resources.tsv", "301\tOFFER_INSTALLER_SHA256", "301\tPRODUCT_INSTALLER_SHA256")},
                  {"resources.tsv:4: the name PRODUCT_INSTALLER_SHA256 is already used at "}, ""},
        CheckCase{"TextFileOfAnUnlistedLanguage", {appending("texts/1041.txt", "9\tYokoso")},
                  {"texts/1041.txt: language 1041 is not listed in languages.tsv"}, ""},
        CheckCase{"DigestOfAFileOutsideTheFolder", {replacing("digests.tsv", "installers/", "/etc/")},
                  {"digests.tsv:2: \"/etc/partner.exe\" is not a path relative to the content folder"}, ""}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

// A release refuses what the demo allows; a build checks first, as a release when told so, or says it does not.
TEST_F(EarlierOutputs, ReleaseCheckAndBuildRefuseContentOnlyFitForTheDemo)
{
    writeFile(out() / "resources.zip", "earlier archive");
    replacing("texts/0.txt", "56\thttps://127.0.0.1/", "56\thttp://downloads.example/")(content());
    replacing("texts/1033.txt", "9\tWelcome", "9\t")(content());
    for (const ToolRun& run : {runTool({"check", "--release", content().string()}),
                               runTool({"build", "--release", content().string(), out().string()})}) {
        EXPECT_EQ(run.exitCode, 1) << run.output;
        for (const char* part : {"language 1033 (English):\n  ", "texts/1033.txt:1: 9 WELCOME_TITLE: the text is empty",
                                 "texts/0.txt:2: 56 PRODUCT_INSTALLER_URL: \"http://downloads.example/setup.exe\" is plain",
                                 "texts/0.txt:3: 61 OFFER_INSTALLER_URL: \"https://127.0.0.1/partner.exe\" names the computer",
                                 "missing text 300 PRODUCT_INSTALLER_SHA256", "missing text 301", "language 1037 (Hebrew):",
                                 "missing text 300 PRODUCT_INSTALLER_SHA256", "\n8 faults found\n"})
            EXPECT_NE(run.output.find(part), std::string::npos) << part << " missing in:\n" << run.output;
    }
    expectEarlierOutputs();
    replacing("offer/1033.json", "Intro", "&")(content());
    const ToolRun refused = build(), unchecked = runTool({"build", "--no-check", content().string(), out().string()});
    EXPECT_EQ(refused.exitCode, 1) << refused.output;
    EXPECT_NE(refused.output.find("nothing built: the content fails the check"), std::string::npos) << refused.output;
    EXPECT_EQ(unchecked.exitCode, 0) << unchecked.output;
    EXPECT_EQ(unchecked.output.find("content-tool: building without checking the content (--no-check)\nwrote "), 0) << unchecked.output;
}

// A new language misses the texts to translate until they are, and warns of its empty abbreviation, which a text
// uses; a source text changed after its translation warns.
TEST_F(ContentFixture, NewLanguageMissesItsTextsUntilTranslated)
{
    ASSERT_EQ(runTool({"new-language", "3082", "1033", content().string()}).exitCode, 0);
    const ToolRun untranslated = check();
    EXPECT_EQ(untranslated.exitCode, 1);
    EXPECT_NE(untranslated.output.find("language 3082 (Language 3082):\n  missing text 9 WELCOME_TITLE (welcome page: "
                                       "title)"), std::string::npos) << untranslated.output;
    EXPECT_NE(untranslated.output.find("missing text 10 WELCOME_BODY (welcome page: body), neither in this language "
                                       "nor in the neutral language\n  warning: "), std::string::npos);
    EXPECT_NE(untranslated.output.find("languages.tsv:7: the language's abbreviation is empty, but 65 WINDOW_TITLE "
                                       "uses $(^LangAbrev), which would read nothing\n2 faults found\n1 warning\n"),
              std::string::npos);
    replacing("texts/3082.txt", "#9\tWelcome", "9\tBienvenido")(content());
    replacing("texts/3082.txt", "#10\t", "10\t")(content());
    EXPECT_EQ(check().exitCode, 0) << check().output;
    replacing("texts/1033.txt", "9\tWelcome", "9\tWelcome!")(content());
    const ToolRun outdated = check();
    EXPECT_NE(outdated.output.find("3082.txt:7: 9 WELCOME_TITLE: translated from an older text of language 1033, which "
                                   "now reads \"Welcome!\"\n"), std::string::npos) << outdated.output;
    EXPECT_EQ(outdated.exitCode, 0);
}

// A failure after the content was read (a folder holds the archive's name) leaves no partial file either.
TEST_F(EarlierOutputs, FailedWriteLeavesNoPartialFiles)
{
    fs::create_directories(out() / "resources.zip" / "occupied");
    const ToolRun run = build();
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("content-tool: build failed: "), std::string::npos) << run.output;
    expectEarlierOutputs();
}

// The check follows what the program states that it reads: a resource that the program starts reading fails it
// while the content lacks it.
TEST_F(ContentFixture, ResourceThatTheProgramStartsReadingFailsTheCheckUntilGiven)
{
    content::ProgramResources read = content::ProgramReads();
    read.push_back({Resource::Id{4242}, "NEW_TEXT", RESOURCE_TEXT, Resource::Macros::Plain, Resource::Need::Required, ""});
    // Missing in the neutral language too: a fault in each language.
    EXPECT_EQ(content::CountErrors(content::CheckContent(content::ReadContent(content()), false, read)), 2u);
    appending("resources.tsv", "4242\tNEW_TEXT\ttext")(content());
    appending("texts/0.txt", "4242\tNew")(content());
    EXPECT_EQ(content::CountErrors(content::CheckContent(content::ReadContent(content()), false, read)), 0u);
}

// content/README.md's table of the resources that the program reads names each of them, and no other.
TEST(ContentReadme, ListsTheResourcesThatTheProgramReads)
{
    const std::string readme = readFile(fs::path(DEMO_CONTENT_DIR) / "README.md");
    const std::size_t begin = readme.find("## Resources the program reads");
    const std::string section = readme.substr(begin, readme.find("\n## ", begin) - begin);
    std::set<int> listed, read;
    const std::regex idInTheFirstColumn("[0-9]+(?=[0-9, /]* \\|)");
    for (std::sregex_iterator id(section.begin(), section.end(), idInTheFirstColumn), end; id != end; ++id)
        listed.insert(std::stoi(id->str()));
    for (const Resource::Definition& resource : content::ProgramReads())
        read.insert(resource.id);
    EXPECT_EQ(listed, read);
}

}  // namespace

}  // namespace content_test
