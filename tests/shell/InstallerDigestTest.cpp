// The installers' digests (resources 300 and 301) in full runs of the real
// product: matching digests let both installers run; an altered installer, or
// a digest that the language overrides with another, is never launched and
// the run ends through the fatal stop; without digests nothing is checked.

#include <algorithm>
#include <cctype>

#include "ShellFixture.h"
#include "tasks/FileSha256.h"

namespace {

constexpr int kProductDigest = 300, kOfferDigest = 301;
const char kVerifier[] = "ExecProgramTask::OpenVerified";

class InstallerDigestTest : public ShellFixture {
protected:
    // The digest of the installer that the fixture serves.
    static std::string ServedDigest()
    {
        Win32xx::CFile file(testing_support::BuildPath(L"recorder.exe").c_str(), Win32xx::CFile::modeRead);
        return Sha256Text(Sha256OfFile(file));
    }
    void AlterInstaller() { m_installer.body = std::make_shared<std::string>(*m_installer.body + "altered"); }

    // Shows the offer page and leaves it through `button` (accept or skip all).
    void PassOffer(HWND wizard, int button)
    {
        ASSERT_TRUE(ShowOffer(wizard));
        winauto::Click(wizard, button);
    }

    // Expects the fatal stop naming the downloaded `name` (in a GUID folder
    // of the temporary folder) as altered, on screen and in the log.
    void ExpectAlteredAndFatalEnd(const std::wstring& name)
    {
        ASSERT_NE(winauto::WaitForWindow(L"Installer", kTimeoutMs, m_product->Id()), nullptr);
        std::wstring path;
        for (const std::wstring& entry : testing_support::ListFolder(m_temp.Path())) {
            if (testing_support::FileExists(m_temp / entry + L"\\" + name))
                path = m_temp / entry + L"\\" + name;
        }
        ASSERT_NE(path, L"") << "not downloaded: " << testing_support::Narrow(name);
        const std::wstring text = L"The downloaded file is damaged or has been altered :" + path;
        ExpectFatalEnd(*m_product, text);
        const auto log = Log();
        EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const auto& record) {
            return record.severity == "FATAL" && record.function == "Die" &&
                   record.message == testing_support::Narrow(text) + " exiting.";
        })) << "no fatal record naming " << testing_support::Narrow(path);
    }

    // Both installers ran; Finish ends the program normally.
    void ExpectBothInstallersRanThenFinish(HWND wizard)
    {
        ASSERT_TRUE(WaitForFinish(wizard));
        EXPECT_NE(OfferRecord(), "");
        EXPECT_NE(ProductRecord(), "");
        winauto::Click(wizard, Next);
        ASSERT_TRUE(m_product->Wait(kTimeoutMs));
        EXPECT_EQ(m_product->ExitCode(), 0u);
    }
};

}  // namespace

TEST_F(InstallerDigestTest, MatchingDigestsLaunchBothInstallers)
{
    std::string upperCase = ServedDigest();
    std::transform(upperCase.begin(), upperCase.end(), upperCase.begin(), ::toupper);
    m_database.AddText("0", kProductDigest, ServedDigest());
    m_database.AddText("1033", kOfferDigest, upperCase);
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    PassOffer(wizard, Next);
    ExpectBothInstallersRanThenFinish(wizard);
    EXPECT_EQ(CountRecordsFrom(kVerifier, "SHA-256 verified"), 2u);
    EXPECT_EQ(CountRecordsFrom(kVerifier, "PartnerInstaller.exe SHA-256 verified: " + ServedDigest()), 1u);
}

TEST_F(InstallerDigestTest, AlteredProductInstallerIsNotLaunchedAndTheRunEndsFatally)
{
    m_database.AddText("0", kProductDigest, ServedDigest());
    AlterInstaller();
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    PassOffer(wizard, SkipAll);
    ExpectAlteredAndFatalEnd(L"KestrafinInstaller.exe");
    EXPECT_EQ(ProductRecord(), "") << "the altered installer ran";
    EXPECT_EQ(CountRecordsFrom("ExecProgramTask::OnStart", "[ExecProgramTask]"), 1u) << "the launch task ran";
    EXPECT_EQ(CountRecordsFrom("ExecProgramTask::OnStart", " Exit code: "), 0u) << "and launched nothing";
    EXPECT_EQ(CountRecords("All Setup Tasks Done."), 0u);
    EXPECT_EQ(CountRecordsFrom(kVerifier, "SHA-256 verified"), 0u);
}

TEST_F(InstallerDigestTest, LanguageOwnDigestWinsAndAMismatchStopsTheRunBeforeTheProduct)
{
    // The neutral digest would match; the current language's own one does not.
    m_database.AddText("0", kOfferDigest, ServedDigest());
    m_database.AddText("1033", kOfferDigest, std::string(64, '0'));
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    PassOffer(wizard, Next);
    ExpectAlteredAndFatalEnd(L"PartnerInstaller.exe");
    EXPECT_EQ(OfferRecord(), "") << "the refused offer installer ran";
    EXPECT_EQ(ProductRecord(), "");
    EXPECT_EQ(m_server.RequestCount("/KestrafinInstaller.exe"), 0) << "the chain went on after the refusal";
}

TEST_F(InstallerDigestTest, WithoutDigestsAlteredInstallersRunUnchecked)
{
    AlterInstaller();
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    PassOffer(wizard, Next);
    ExpectBothInstallersRanThenFinish(wizard);
    EXPECT_EQ(CountRecordsFrom(kVerifier, ""), 0u) << "nothing was checked";
}
