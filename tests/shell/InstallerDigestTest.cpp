// The installers' digests in full runs of the real product: an altered
// installer, or one that the language's own digest refuses, is never launched
// and the run ends through the fatal stop. (Matching digests and none: the
// wizard tests.)

#include "ShellFixture.h"

namespace {

class InstallerDigestTest : public ShellFixture {
protected:
    // Starts the wizard and leaves the offer page through `button` (accept or skip all).
    void PassOffer(int button)
    {
        const HWND wizard = StartWizard();
        ASSERT_TRUE(wizard && ShowOffer(wizard));
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
        EXPECT_EQ(CountRecords(testing_support::Narrow(text) + " exiting.", "Die"), 1u);
    }
};

}  // namespace

TEST_F(InstallerDigestTest, AlteredProductInstallerIsNotLaunchedAndTheRunEndsFatally)
{
    m_database.AddText("0", kProductDigest, ServedDigest());
    m_installer.body = std::make_shared<std::string>(*m_installer.body + "altered");
    PassOffer(SkipAll);
    ExpectAlteredAndFatalEnd(L"KestrafinInstaller.exe");
    EXPECT_EQ(OfferRecord() + ProductRecord(), "") << "an altered installer ran";
    EXPECT_EQ(CountRecords("[ExecProgramTask]", "ExecProgramTask::OnStart"), 1u) << "the launch task ran";
    EXPECT_EQ(CountRecords(" Exit code: ", "ExecProgramTask::OnStart"), 0u) << "and launched nothing";
    EXPECT_EQ(CountRecords("SHA-256 verified", kVerifier), 0u);
}

TEST_F(InstallerDigestTest, LanguageOwnDigestWinsAndAMismatchStopsTheRunBeforeTheProduct)
{
    // The neutral digest would match; the current language's own one does not.
    m_database.AddText("0", kOfferDigest, ServedDigest());
    m_database.AddText("1033", kOfferDigest, std::string(64, '0'));
    PassOffer(Next);
    ExpectAlteredAndFatalEnd(L"PartnerInstaller.exe");
    EXPECT_EQ(OfferRecord() + ProductRecord(), "") << "the refused offer installer ran";
    EXPECT_EQ(m_server.RequestCount("/KestrafinInstaller.exe"), 0) << "the chain went on after the refusal";
}
