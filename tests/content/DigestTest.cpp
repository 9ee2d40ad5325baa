// The installers' digests in content: given literally in a text file or as
// the digest of a file (digests.tsv); the check refuses a digest that is not
// 64 hexadecimal digits and warns about plain http:// installer addresses
// that no digest protects.
#include "ContentFixture.h"
#include "ProgramView.h"

#include <cctype>

namespace content_test {

namespace {

// SHA-256 of "abc" (FIPS 180-2, appendix B.1).
const std::string kAbcDigest = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const std::string kHttpAddress = "http://127.0.0.1/setup.exe";

std::string upper(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::size_t count(const std::string& text, const std::string& part)
{
    std::size_t found = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) {
        ++found;
    }
    return found;
}

class Digests : public ContentFixture {
protected:
    void writeDigests(const std::string& rows) { writeFile(content() / "digests.tsv", "language\tid\tfile\n" + rows); }
};

TEST_F(Digests, DigestOfAFileIsStoredAsItsLowerCaseText)
{
    writeFile(content() / "installers" / "setup.exe", "abc");
    writeFile(content() / "installers" / "partner.exe", "");
    writeDigests("0\t300\tinstallers/setup.exe\n1037\t301\tinstallers/partner.exe\n");

    ToolRun run = build();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ProgramView view(out() / "resources.db");
    std::string value;
    ASSERT_TRUE(view.fetchExact("0", 300, kText, value));
    EXPECT_EQ(value, kAbcDigest);
    ASSERT_TRUE(view.fetchExact("1037", 301, kText, value));
    EXPECT_EQ(value, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_FALSE(view.fetch("1033", 301, kText, value)) << "only Hebrew has an offer digest";
}

TEST_F(Digests, LiteralDigestInEitherCaseIsStoredAsWritten)
{
    addText("0", "300\t" + upper(kAbcDigest));
    addText("1033", "301\t" + kAbcDigest);

    ToolRun checked = check();
    EXPECT_EQ(checked.exitCode, 0) << checked.output;
    EXPECT_EQ(checked.output.find("digest"), std::string::npos) << checked.output;
    ToolRun built = build();
    ASSERT_EQ(built.exitCode, 0) << built.output;
    ProgramView view(out() / "resources.db");
    EXPECT_EQ(view.text("1037", 300), upper(kAbcDigest));
    EXPECT_EQ(view.text("1033", 301), kAbcDigest);
}

TEST_F(Digests, CheckRefusesADigestThatIsNotSixtyFourHexDigits)
{
    const std::string malformed[] = {kAbcDigest.substr(0, 63), kAbcDigest + "0", kAbcDigest.substr(0, 63) + "g",
                                     "sha256:" + kAbcDigest, ""};
    for (const std::string& digest : malformed) {
        SCOPED_TRACE("\"" + digest + "\"");
        addText("1037", "300\t" + digest);
        ToolRun run = check();
        EXPECT_EQ(run.exitCode, 1) << run.output;
        const std::string expected = "language 1037 (Hebrew):\n  " + Place("texts/1037.txt", "300\t") +
                                     ": 300 RESOURCE_300: the digest \"" + digest.substr(0, 40) +
                                     (digest.size() > 40 ? "..." : "") +
                                     "\" is not 64 hexadecimal digits, so the program refuses the installer\n";
        EXPECT_NE(run.output.find(expected), std::string::npos) << "expected:\n" << expected << "in:\n" << run.output;
        EXPECT_NE(run.output.find("\n1 fault found\n"), std::string::npos) << run.output;
        replaceInFile(content() / "texts" / "1037.txt", "300\t" + digest + "\n", "");
    }
}

TEST_F(Digests, PlainHttpAddressWithoutADigestIsAWarningOnly)
{
    replaceInFile(content() / "texts" / "0.txt", "56\tText 56", "56\t" + kHttpAddress);
    ToolRun run = check();
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const std::string expected = "language 0 (Neutral):\n  warning: " + Place("texts/0.txt", "56\t") +
                                 ": 56 RESOURCE_56: a plain http:// address without a digest (300 RESOURCE_300): "
                                 "an installer altered on its way would be launched\n"
                                 "content is complete: 2 languages, ";
    EXPECT_NE(run.output.find(expected), std::string::npos) << "expected:\n" << expected << "in:\n" << run.output;
    EXPECT_NE(run.output.find("\n1 warning\n"), std::string::npos) << run.output;
    EXPECT_EQ(count(run.output, "warning:"), 1u) << run.output;
}

TEST_F(Digests, OfferAddressOfOneLanguageIsWarnedAboutInThatLanguage)
{
    addText("1033", "61\tHTTP://127.0.0.1/partner.exe");
    ToolRun run = check();
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("language 1033 (English):\n  warning: " + Place("texts/1033.txt", "61\t") +
                              ": 61 RESOURCE_61: a plain http:// address without a digest (301 RESOURCE_301)"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(count(run.output, "warning:"), 1u) << run.output;
}

TEST_F(Digests, DigestForEveryReaderOrHttpsSilencesTheWarning)
{
    replaceInFile(content() / "texts" / "0.txt", "56\tText 56", "56\t" + kHttpAddress);
    replaceInFile(content() / "texts" / "0.txt", "61\tText 61", "61\thttps://127.0.0.1/partner.exe");
    addText("0", "300\t" + kAbcDigest);
    ToolRun run = check();
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output.find("warning"), std::string::npos) << run.output;
}

TEST_F(Digests, DigestOfOnlySomeReadersStillWarns)
{
    // Hebrew reads the neutral address with a digest of its own; English has none.
    replaceInFile(content() / "texts" / "0.txt", "56\tText 56", "56\t" + kHttpAddress);
    addText("1037", "300\t" + kAbcDigest);
    ToolRun run = check();
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(count(run.output, "warning: " + Place("texts/0.txt", "56\t")), 1u) << run.output;
}

TEST_F(Digests, WarningsAreCountedApartFromFaults)
{
    replaceInFile(content() / "texts" / "0.txt", "56\tText 56", "56\t" + kHttpAddress);
    replaceInFile(content() / "texts" / "0.txt", "1\tText 1\n", "");
    ToolRun run = check();
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("\n2 faults found\n1 warning\n"), std::string::npos) << run.output;
}

struct BadDigestRow {
    const char* name;
    std::string rows;
    std::string linePrefix;  // of the digests.tsv line that the message names
    std::string message;
};

void PrintTo(const BadDigestRow& row, std::ostream* out) { *out << row.name; }

class BadDigests : public Digests, public ::testing::WithParamInterface<BadDigestRow> {};

TEST_P(BadDigests, BuildNamesFileAndLineAndWritesNothing)
{
    const BadDigestRow& row = GetParam();
    writeFile(content() / "installers" / "setup.exe", "abc");
    addText("0", "301\t" + kAbcDigest);
    writeDigests(row.rows);
    ToolRun run = build();
    EXPECT_EQ(run.exitCode, 1) << run.output;
    const std::string expected = Place("digests.tsv", row.linePrefix) + ": " + row.message;
    EXPECT_NE(run.output.find(expected), std::string::npos) << "expected \"" << expected << "\" in:\n" << run.output;
    EXPECT_FALSE(fs::exists(out() / "resources.db"));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BadDigests,
    ::testing::Values(
        BadDigestRow{"MissingFile", "0\t300\tinstallers/gone.exe\n", "0\t300", "file "},
        BadDigestRow{"AbsolutePath", "0\t300\t/etc/hostname\n", "0\t300",
                     "\"/etc/hostname\" is not a path relative to the content folder"},
        BadDigestRow{"UnlistedLanguage", "1041\t300\tinstallers/setup.exe\n", "1041\t",
                     "language 1041 is not listed in languages.tsv"},
        BadDigestRow{"AlsoGivenAsText", "0\t301\tinstallers/setup.exe\n", "0\t301",
                     "resource 301 of language 0 is already given at "},
        BadDigestRow{"PictureResource", "0\t240\tinstallers/setup.exe\n", "0\t240",
                     "resource 240 (RESOURCE_240) is a picture"},
        BadDigestRow{"MissingColumn", "0\tinstallers/setup.exe\n", "0\tinstallers",
                     "expected 3 tab-separated fields"}),
    [](const ::testing::TestParamInfo<BadDigestRow>& info) { return std::string(info.param.name); });

}  // namespace

}  // namespace content_test
