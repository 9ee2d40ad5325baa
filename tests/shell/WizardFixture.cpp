#include "WizardFixture.h"

#include "support/BuildAddress.h"

WizardFixture::WizardFixture()
{
    const std::pair<int, const char*> texts[] = {
        {1, "Skip"}, {2, "Skip all"}, {3, "Installing $(^Name)"}, {7, "Please wait"}, {9, "Welcome to $(^Name)"},
        {10, "Body $(^LangID)"}, {242, "Subtitle"}, {11, "Privacy"}, {12, "License"},
        {159, "http://127.0.0.1/privacy"}, {158, "http://127.0.0.1/license"}, {13, "Cancel the setup?"},
        {14, "Not installed yet"}, {15, "Setup complete"}, {16, "Done"}, {58, "Kestrafin"}, {65, "$(^Name) Setup"},
        {233, "3.2"}, {77, "< Back"}, {78, "Next >"}, {84, "Cancel"}, {85, "Close"}, {216, "Finish"},
        {237, "Accept"}, {238, "Decline"}, {57, "/S /LANG=$(^LangID)"}, {62, "/OFFER /ABBR=$(^LangAbrev)"},
        {40, "<html><body>[[o:h]]</body></html>"}, {38, "{\"h\":\"Offer\"}"}, {168, "[[$1]]"}, {166, "x"}};
    for (const auto& [id, text] : texts)
        m_database.AddText("0", id, text);
    m_database.AddText("0", 56, testing_support::ArchiveServerUrl("/KestrafinInstaller.exe"));
    m_database.AddText("0", 61, testing_support::ArchiveServerUrl("/PartnerInstaller.exe"));
    m_installer = testing_support::LoopbackHttpServer::Body(
        testing_support::ReadFileBytes(testing_support::BuildPath(L"recorder.exe")));
}

HWND WizardFixture::StartWizard(int languageIndex)
{
    ServeArchive();
    m_server.Serve("/KestrafinInstaller.exe", m_installer);
    m_server.Serve("/PartnerInstaller.exe", m_installer);
    m_product = Start(L"KestrafinSetup.exe");
    const HWND languages = winauto::WaitForWindow(kLanguageDialog, kTimeoutMs, m_product->Id());
    if (!languages)
        return nullptr;
    if (languageIndex >= 0)
        winauto::SelectComboItem(languages, kLanguageList, languageIndex);
    winauto::Click(languages, IDOK);
    return winauto::WaitForWindow(kWizard, kTimeoutMs, m_product->Id());
}

bool WizardFixture::WaitForFinish(HWND wizard)
{
    return winauto::WaitUntil([&] { return PageText(wizard, Title) == L"Setup complete"; }, kTimeoutMs);
}

std::vector<int> WizardFixture::VisibleButtons(HWND wizard)
{
    std::vector<int> visible;
    for (const int id : {Skip, SkipAll, Next, Close, Previous, Cancel, TaskCancel}) {
        if (winauto::IsControlVisible(wizard, id))
            visible.push_back(id);
    }
    return visible;
}

size_t WizardFixture::CountRecords(const std::string& text)
{
    size_t count = 0;
    for (const auto& record : Log())
        count += record.message.rfind(text, 0) == 0;
    return count;
}
