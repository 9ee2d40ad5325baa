// The product (or probe) with its own temporary folder and osi.log; a loopback server serves database and installers.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <memory>
#include <vector>

#include "ArchiveSigner.h"
#include "Automation.h"
#include "LoopbackHttpServer.h"
#include "TaskTestSupport.h"
#include "ZipBuilder.h"
#include "support/ChildProcess.h"
#include "support/Files.h"
#include "tests/resources/TestDatabase.h"

class ShellFixture : public ::testing::Test {
protected:
    static constexpr DWORD kTimeoutMs = 20000;
    static constexpr DWORD kExitMinusOne = 0xFFFFFFFF;
    static constexpr wchar_t kFatalText[] = L"Fatal Error occured !  exiting.";
    static constexpr wchar_t kLoader[] = L"Loading Resources", kLanguageDialog[] = L"Kestrafin";
    static constexpr int kLoaderBar = 1046;
    static constexpr int kLanguageList = 1001;
    static constexpr wchar_t kWizard[] = L"Kestrafin Setup (V3.2)";
    enum Button { Skip = 1007, SkipAll = 1008, Next = 1009, Close = 1047, Previous = 1054, Cancel = 1055,
                  TaskCancel = 8 };
    enum PageControl { Title = 1024, Subtitle = 1025, Body = 1026, LeftLink = 1048, RightLink = 1049, Picture = 1010,
                       TasksProgress = 1035, TasksStatus = 1036 };
    enum FrameControl { Banner = 1013, Strip = 1011, Pages = 1023 };
    static constexpr int kProductDigest = 300, kOfferDigest = 301;
    static constexpr char kVerifier[] = "ExecProgramTask::OpenVerified";

    ShellFixture();

    // With TMP and TEMP set to the test's folder unless `environment` replaces them.
    std::unique_ptr<testing_support::ChildProcess> Start(const std::wstring& program,
                                                         const std::wstring& arguments = L"",
                                                         const std::map<std::wstring, std::wstring>& environment = {});
    void ExpectBoxAndConfirm(const testing_support::ChildProcess& process, const std::wstring& caption,
                             const std::wstring& text);
    void ExpectFatalEnd(testing_support::ChildProcess& process, const std::wstring& text = kFatalText);

    std::wstring LogPath() const { return m_temp / L"osi.log"; }
    std::vector<testing_support::LogRecord> Log() const { return testing_support::ReadLog(LogPath()); }
    void ExpectRecord(size_t index, const char* severity, const char* function, const std::string& message);
    // Records starting with these texts, in this order (others may lie between).
    void ExpectRecordsInOrder(std::initializer_list<std::string> texts);
    // Records whose message holds `text` (and, when given, of `function`).
    size_t CountRecords(const std::string& text, const std::string& function = "");

    // The signed archive of the test's database (at `databaseName`) and the extra items; `gate`: see Reply.
    void ServeArchive(const std::vector<testing_support::ZipItem>& extra = {},
                      const std::string& databaseName = "resources.db", size_t pieceSize = 0, DWORD pauseMs = 0,
                      HANDLE gate = nullptr);

    // What the product does: runs or ended (and how), the windows it shows, its last record.
    std::string ProductState();
    HWND OpenLanguageDialog();
    DWORD CancelLanguageDialog(HWND dialog)
    {
        winauto::Click(dialog, IDCANCEL);
        return m_product->Wait(kTimeoutMs) ? m_product->ExitCode() : STILL_ACTIVE;
    }
    // Confirms the language at `languageIndex` (-1: the preselected one).
    HWND StartWizard(int languageIndex = -1);
    std::wstring PageText(HWND wizard, int id) { return winauto::WindowText(winauto::FindDescendant(wizard, id)); }
    // Next on the welcome page; true once the offer's own captions show.
    bool ShowOffer(HWND wizard)
    {
        winauto::Click(wizard, Next);
        return winauto::WaitUntil([&] { return winauto::ControlText(wizard, Next) == L"Accept"; }, kTimeoutMs);
    }
    // The message page fills the frame's page area, its picture on the side where reading starts.
    void ExpectPagePlacement(HWND wizard, bool mirrored);
    // Suspended, next stands where cancel stood (its right edge in a mirrored frame).
    void ExpectNextInCancelsPlace(HWND wizard, const RECT& cancel, bool mirrored);
    // Tabs until the control has the focus; false when it never gets it.
    bool TabTo(HWND dialog, int control);
    // The id of the picture that a picture control shows (each is of one colour), 0 for none.
    int ShownPicture(HWND wizard, int controlId);
    // The colour on screen `inset` pixels inside the control's bottom right corner (0: its centre).
    static COLORREF ShownColour(HWND wizard, int controlId, int inset = 0);
    std::vector<int> VisibleButtons(HWND wizard);
    // The one file of that name in a folder of the temporary folder.
    std::wstring DownloadedFile(const std::wstring& name);
    // "" when the installer did not run.
    std::string ProductRecord() { return testing_support::ReadFileBytes(m_temp / L"KestrafinInstaller.exe.record.txt"); }
    std::string OfferRecord() { return testing_support::ReadFileBytes(m_temp / L"PartnerInstaller.exe.record.txt"); }

    // English's text (a caption, say), as the test's own content stores it.
    std::wstring Text(int id) const { return testing_support::Widen(m_texts.at(id)); }
    void SetText(int id, const std::string& text);  // for English

    // The neutral texts; some expanded by the program: each holds a macro.
    std::map<int, std::string> m_texts{{1, "Skip"}, {2, "Skip all"}, {3, "Installing $(^Name)"},
        {7, "Please wait"}, {9, "Welcome to $(^Name)"}, {10, "Body $(^LangID)"}, {242, "Subtitle. \\"},
        {11, "Privacy"}, {12, "License"}, {159, "http://127.0.0.1/privacy"}, {158, "http://127.0.0.1/license"},
        {13, "$(^NextBtn) goes on"}, {14, "${PRIMARY_SW_NAME} is not installed yet"}, {15, "$(^Name) is set up"},
        {16, "Done in $(^LangAbrev)"}, {58, "Kestrafin"}, {65, "$(^Name) Setup"}, {233, "3. \\2"}, {77, "< Back"},
        {78, "Next >"}, {84, "Cancel"}, {85, "Close"}, {216, "Finish"}, {237, "Accept"}, {238, "Decline"},
        {57, "/S /LANG=$(^LangID)"}, {62, "/OFFER /ABBR=$(^LangAbrev)"}, {40, "<html><body>[[o:h]]</body></html>"},
        {38, "{\"h\":\"Offer\"}"}, {168, "[[$1]]"}, {166, "x"}};
    testing_support::TempFolder m_temp{L"shell"};
    testing_support::TempFolder m_source{L"content"};
    TestDatabase m_database{m_source / L"resources.db"};
    testing_support::LoopbackHttpServer m_server;
    testing_support::LoopbackHttpServer::Reply m_installer = testing_support::LoopbackHttpServer::Body(
        testing_support::ReadFileBytes(testing_support::BuildPath(L"recorder.exe")));
    // The same program with other bytes: a digest checked against the wrong id shows.
    testing_support::LoopbackHttpServer::Reply m_offerInstaller =
        testing_support::LoopbackHttpServer::Body(*m_installer.body + "offer");
    const std::string m_servedDigest = testing_support::Sha256Hex(*m_installer.body),
                      m_offerDigest = testing_support::Sha256Hex(*m_offerInstaller.body);
    std::unique_ptr<testing_support::ChildProcess> m_product;
    std::wstring m_program = L"KestrafinSetup.exe", m_arguments;
};
