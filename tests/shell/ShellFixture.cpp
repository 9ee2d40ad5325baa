#include "ShellFixture.h"

#include <algorithm>
#include <cstdlib>

#include "support/BuildAddress.h"

using testing_support::ChildProcess;
using testing_support::LoopbackHttpServer;

namespace {
// The banner, the page picture and the strips (finished, tasks, offer, welcome).
const std::pair<int, COLORREF> kPictures[] = {{239, RGB(200, 30, 30)}, {240, RGB(30, 200, 30)},
    {25, RGB(30, 30, 200)}, {26, RGB(200, 200, 30)}, {27, RGB(200, 30, 200)}, {28, RGB(30, 200, 200)}};

// A one-pixel bitmap file, which the picture loader reads as it reads JPEG.
std::string SolidPicture(COLORREF colour)
{
    const BITMAPFILEHEADER file{0x4D42, 58, 0, 0, 54};
    const BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER), 1, 1, 1, 24, BI_RGB, 4, 0, 0, 0, 0};
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    return bytes + std::string{char(GetBValue(colour)), char(GetGValue(colour)), char(GetRValue(colour)), 0};
}
}  // namespace

ShellFixture::ShellFixture() : m_server(testing_support::ArchivePort())
{
    m_database.AddLanguages();
    for (const auto& [id, text] : m_texts)
        m_database.AddText("0", id, text);
    for (const auto& [id, colour] : kPictures)
        m_database.AddPicture("0", id, SolidPicture(colour));
    m_database.AddText("0", 56, testing_support::ArchiveServerUrl("/KestrafinInstaller.exe"));
    m_database.AddText("0", 61, testing_support::ArchiveServerUrl("/PartnerInstaller.exe"));
}

void ShellFixture::SetText(int id, const std::string& text)
{
    m_database.AddText("1033", id, text);
    m_texts[id] = text;
}

std::unique_ptr<ChildProcess> ShellFixture::Start(const std::wstring& program, const std::wstring& arguments,
                                                 const std::map<std::wstring, std::wstring>& environment)
{
    ChildProcess::Options options{arguments, L"", {{L"TMP", m_temp.Path() + L"\\"}, {L"TEMP", m_temp.Path() + L"\\"}}};
    for (const auto& [name, value] : environment)
        options.environment[name] = value;
    return std::make_unique<ChildProcess>(testing_support::BuildPath(program), options);
}

void ShellFixture::ExpectBoxAndConfirm(const ChildProcess& process, const std::wstring& caption,
                                       const std::wstring& text)
{
    const HWND box = winauto::WaitForWindow(caption, kTimeoutMs, process.Id());
    ASSERT_NE(box, nullptr) << "no message box captioned " << testing_support::Narrow(caption);
    EXPECT_EQ(testing_support::Narrow(winauto::MessageBoxText(box)), testing_support::Narrow(text));
    winauto::Click(box, IDOK);
    EXPECT_TRUE(winauto::WaitForWindowGone(caption, kTimeoutMs, process.Id()));
}

void ShellFixture::ExpectFatalEnd(ChildProcess& process, const std::wstring& text)
{
    ExpectBoxAndConfirm(process, L"Installer", text);
    ASSERT_TRUE(process.Wait(kTimeoutMs)) << "the program did not end";
    EXPECT_EQ(process.ExitCode(), kExitMinusOne);
}

void ShellFixture::ExpectRecord(size_t index, const char* severity, const char* function, const std::string& message)
{
    const auto log = Log();
    ASSERT_LT(index, log.size());
    const testing_support::LogRecord& record = log[index];
    EXPECT_EQ(record.severity, severity);
    EXPECT_EQ(record.function, function);
    EXPECT_EQ(record.message, message);
}

void ShellFixture::ExpectRecordsInOrder(std::initializer_list<std::string> texts)
{
    const auto log = Log();
    size_t at = 0;
    for (const std::string& text : texts) {
        while (at < log.size() && log[at].message.rfind(text, 0) != 0)
            ++at;
        ASSERT_LT(at++, log.size()) << "missing, or out of order: " << text;
    }
}

size_t ShellFixture::CountRecords(const std::string& text, const std::string& function)
{
    const auto log = Log();
    return std::count_if(log.begin(), log.end(), [&](const auto& record) {
        return (function.empty() || record.function == function) && record.message.find(text) != std::string::npos;
    });
}

void ShellFixture::ServeArchive(const std::vector<testing_support::ZipItem>& extra, const std::string& databaseName,
                                size_t pieceSize, DWORD pauseMs, HANDLE gate)
{
    auto items = extra;
    items.push_back(testing_support::ZipItem::File(databaseName, testing_support::ReadFileBytes(m_source / L"resources.db")));
    auto reply = LoopbackHttpServer::Body(testing_support::BuildSignedZip(items));
    reply.pieceSize = pieceSize;
    reply.pauseMs = pauseMs;
    reply.gate = gate;
    m_server.Serve(testing_support::ArchivePath(), reply);
}

std::wstring ShellFixture::DownloadedFile(const std::wstring& name)
{
    std::vector<std::wstring> found;
    for (const std::wstring& entry : testing_support::ListFolder(m_temp.Path()))
        if (testing_support::FileExists(m_temp / entry + L"\\" + name))
            found.push_back(m_temp / entry + L"\\" + name);
    EXPECT_EQ(found.size(), 1u) << testing_support::Narrow(name);
    return found.empty() ? L"" : found[0];
}

HWND ShellFixture::OpenLanguageDialog()
{
    ServeArchive();
    m_product = Start(m_program, m_arguments);
    const HWND dialog = winauto::WaitForWindow(kLanguageDialog, kTimeoutMs, m_product->Id());
    if (!dialog)  // say what the product did instead
        ADD_FAILURE() << "no language dialog; " << ProductState();
    return dialog;
}

std::string ShellFixture::ProductState()
{
    const auto log = Log();
    return "the product " + (m_product->IsRunning() ? std::string("runs") : "ended with " + std::to_string(
           static_cast<int>(m_product->ExitCode()))) + ", shows" + testing_support::Narrow(winauto::VisibleCaptions(
           m_product->Id())) + ", logged " + (log.empty() ? "nothing" : log.back().message);
}

bool ShellFixture::TabTo(HWND dialog, int control)
{
    for (int presses = 0; presses < 20 && winauto::FocusedControl(dialog) != control; ++presses) {
        const int before = winauto::FocusedControl(dialog);
        winauto::PressKey(dialog, VK_TAB);
        winauto::WaitUntil([&] { return winauto::FocusedControl(dialog) != before; }, kTimeoutMs);
    }
    return winauto::FocusedControl(dialog) == control;
}

HWND ShellFixture::StartWizard(int languageIndex)
{
    m_server.Serve("/KestrafinInstaller.exe", m_installer);
    m_server.Serve("/PartnerInstaller.exe", m_offerInstaller);
    const HWND languages = OpenLanguageDialog();
    if (!languages)
        return nullptr;
    if (languageIndex >= 0)
        winauto::SelectComboItem(languages, kLanguageList, languageIndex);
    winauto::Click(languages, IDOK);
    return winauto::WaitForWindow(kWizard, kTimeoutMs, m_product->Id());
}

std::vector<int> ShellFixture::VisibleButtons(HWND wizard)
{
    std::vector<int> visible;
    for (const int id : {Skip, SkipAll, Next, Close, Previous, Cancel, TaskCancel})
        if (winauto::IsControlVisible(wizard, id))
            visible.push_back(id);
    return visible;
}

COLORREF ShellFixture::ShownColour(HWND wizard, int controlId, int inset)
{
    RECT rect{};
    ::GetWindowRect(winauto::FindDescendant(wizard, controlId), &rect);
    const HDC screen = ::GetDC(nullptr);
    const COLORREF shown = inset ? ::GetPixel(screen, rect.right - inset, rect.bottom - inset)
                                 : ::GetPixel(screen, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    ::ReleaseDC(nullptr, screen);
    return shown;
}

int ShellFixture::ShownPicture(HWND wizard, int controlId)
{
    const COLORREF shown = ShownColour(wizard, controlId);
    for (const auto& [id, colour] : kPictures)
        if (std::abs(GetRValue(shown) - GetRValue(colour)) + std::abs(GetGValue(shown) - GetGValue(colour)) +
                std::abs(GetBValue(shown) - GetBValue(colour)) < 60)
            return id;
    return 0;
}

void ShellFixture::ExpectPagePlacement(HWND wizard, bool mirrored)
{
    EXPECT_EQ((winauto::ExtendedStyle(wizard) & WS_EX_LAYOUTRTL) != 0, mirrored);
    const HWND picture = winauto::FindDescendant(wizard, Picture);
    RECT page{}, shown{};
    ::GetWindowRect(::GetParent(picture), &page);
    ::GetWindowRect(picture, &shown);
    const RECT area = winauto::ControlRect(wizard, Pages);
    EXPECT_TRUE(page.left >= area.left && page.right <= area.right);
    EXPECT_GT(page.right - page.left, (area.right - area.left) * 9 / 10);
    EXPECT_EQ(mirrored ? page.right - shown.right : shown.left - page.left, 0);
}

void ShellFixture::ExpectNextInCancelsPlace(HWND wizard, const RECT& cancel, bool mirrored)
{
    winauto::WindowText(wizard);  // answered once the layout's handler has returned
    const RECT next = winauto::ControlRect(wizard, Next);
    EXPECT_EQ(mirrored ? next.right : next.left, mirrored ? cancel.right : cancel.left);
    EXPECT_EQ(next.top, cancel.top);
}
