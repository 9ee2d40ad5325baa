// The installers' digests (resources 300 and 301) in full runs of the real
// product: matching digests let both installers run; an altered installer, or
// a digest that the language overrides with another, is never launched and
// the run ends through the fatal stop; without digests nothing is checked.

#include <algorithm>
#include <cctype>

#include "WizardFixture.h"
#include "tasks/FileSha256.h"

namespace {

constexpr DWORD kExitMinusOne = 0xFFFFFFFF;
constexpr int kProductDigest = 300, kOfferDigest = 301;

std::string DigestOf(const std::wstring& path)
{
    Win32xx::CFile file(path.c_str(), Win32xx::CFile::modeRead);
    return Sha256Text(Sha256OfFile(file));
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    return text;
}

class InstallerDigestTest : public WizardFixture {
protected:
    // The digest of the installer that the fixture serves.
    std::string ServedDigest() const { return DigestOf(testing_support::BuildPath(L"recorder.exe")); }
    static testing_support::LoopbackHttpServer::Reply AlteredInstaller()
    {
        return testing_support::LoopbackHttpServer::Body(
            testing_support::ReadFileBytes(testing_support::BuildPath(L"recorder.exe")) + "altered");
    }

    // Shows the offer page and leaves it through `button` (accept or skip all).
    void PassOffer(HWND wizard, int button)
    {
        winauto::Click(wizard, Next);
        ASSERT_TRUE(winauto::WaitUntil([&] { return winauto::ControlText(wizard, Next) == L"Accept"; }, kTimeoutMs));
        winauto::Click(wizard, button);
    }

    // Where the product downloaded `name`: a GUID folder of the temporary folder.
    std::wstring Downloaded(const std::wstring& name)
    {
        for (const std::wstring& entry : testing_support::ListFolder(m_temp.Path())) {
            const std::wstring path = m_temp / entry + L"\\" + name;
            if (testing_support::FileExists(path))
                return path;
        }
        return std::wstring();
    }

    // Waits for the fatal stop's box and confirms it; the text must name the
    // downloaded `name` as altered.
    void ExpectAlteredAndConfirm(const std::wstring& name)
    {
        ASSERT_NE(winauto::WaitForWindow(L"Installer", kTimeoutMs, m_product->Id()), nullptr);
        const std::wstring path = Downloaded(name);
        ASSERT_NE(path, L"") << "not downloaded: " << testing_support::Narrow(name);
        ExpectBoxAndConfirm(*m_product, L"Installer", L"The downloaded file is damaged or has been altered :" + path);
        ASSERT_TRUE(m_product->Wait(kTimeoutMs));
        EXPECT_EQ(m_product->ExitCode(), kExitMinusOne);
        const auto log = Log();
        const bool fatal = std::any_of(log.begin(), log.end(), [&](const auto& record) {
            return record.severity == "FATAL" && record.function == "Die" &&
                   record.message == "The downloaded file is damaged or has been altered :" +
                                         testing_support::Narrow(path) + " exiting.";
        });
        EXPECT_TRUE(fatal) << "no fatal record naming " << testing_support::Narrow(path);
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

    size_t VerifiedRecords() { return CountRecordsFrom("ExecProgramTask::OpenVerified", "SHA-256 verified"); }
    size_t CountRecordsFrom(const std::string& function, const std::string& text)
    {
        size_t count = 0;
        for (const auto& record : Log())
            count += record.function == function && record.message.find(text) != std::string::npos;
        return count;
    }
};

}  // namespace

TEST_F(InstallerDigestTest, MatchingDigestsLaunchBothInstallers)
{
    m_database.AddText("0", kProductDigest, ServedDigest());
    m_database.AddText("1033", kOfferDigest, Upper(ServedDigest()));
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    PassOffer(wizard, Next);
    ExpectBothInstallersRanThenFinish(wizard);
    EXPECT_EQ(VerifiedRecords(), 2u);
    EXPECT_EQ(CountRecordsFrom("ExecProgramTask::OpenVerified", "PartnerInstaller.exe SHA-256 verified: " +
                                                                    ServedDigest()),
              1u);
}

TEST_F(InstallerDigestTest, AlteredProductInstallerIsNotLaunchedAndTheRunEndsFatally)
{
    m_database.AddText("0", kProductDigest, ServedDigest());
    m_installer = AlteredInstaller();
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    PassOffer(wizard, SkipAll);
    ExpectAlteredAndConfirm(L"KestrafinInstaller.exe");
    EXPECT_EQ(ProductRecord(), "") << "the altered installer ran";
    EXPECT_EQ(CountRecordsFrom("ExecProgramTask::OnStart", "[ExecProgramTask]"), 1u) << "the launch task ran";
    EXPECT_EQ(CountRecordsFrom("ExecProgramTask::OnStart", " Exit code: "), 0u) << "and launched nothing";
    EXPECT_EQ(CountRecords("All Setup Tasks Done."), 0u);
    EXPECT_EQ(VerifiedRecords(), 0u);
}

TEST_F(InstallerDigestTest, LanguageOwnDigestWinsAndAMismatchStopsTheRunBeforeTheProduct)
{
    // The neutral digest would match; the current language's own one does not.
    m_database.AddText("0", kOfferDigest, ServedDigest());
    m_database.AddText("1033", kOfferDigest, std::string(64, '0'));
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    PassOffer(wizard, Next);
    ExpectAlteredAndConfirm(L"PartnerInstaller.exe");
    EXPECT_EQ(OfferRecord(), "") << "the refused offer installer ran";
    EXPECT_EQ(ProductRecord(), "");
    EXPECT_EQ(m_server.RequestCount("/KestrafinInstaller.exe"), 0) << "the chain went on after the refusal";
}

TEST_F(InstallerDigestTest, WithoutDigestsAlteredInstallersRunUnchecked)
{
    m_installer = AlteredInstaller();
    const HWND wizard = StartWizard();
    ASSERT_NE(wizard, nullptr);
    PassOffer(wizard, Next);
    ExpectBothInstallersRanThenFinish(wizard);
    EXPECT_EQ(CountRecordsFrom("ExecProgramTask::OpenVerified", ""), 0u) << "nothing was checked";
}
