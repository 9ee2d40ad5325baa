// Keys pressed at every dialog of the real program, as a table: (dialog and state, key) -> the state that follows,
// the one record that the key writes and the exit code. Each run is one program start; its rows follow each other.
// A key that must do nothing is proven handled by a marker posted after it (and after what it posted in turn).

#include <algorithm>
#include <optional>
#include <set>

#include "ShellFixture.h"

namespace {
enum State { Loading, Languages, Welcome, Offer, Question, Tasks, Finished, FatalBox, Exit0, ExitFatal };
const char* const kStateNames[] = {"bootstrap dialog, downloading", "language dialog", "main dialog, welcome page",
    "main dialog, offer page", "main dialog, cancel question", "main dialog, task page", "main dialog, finished page",
    "fatal box", "ended with 0", "ended with -1"};

enum Key { Enter, Esc, Space, Tab, AltF4, AltS, CloseBox, Download, TabCycle };
const struct { const char* name; UINT virtualKey; bool alt; } kKeys[] = {{"Enter", VK_RETURN, false},
    {"Escape", VK_ESCAPE, false}, {"Space", VK_SPACE, false}, {"Tab", VK_TAB, false}, {"Alt+F4", VK_F4, true},
    {"Alt+S", 'S', true}, {"close box", 0, false}, {"no key: the download goes on", 0, false},
    {"Tab and Shift+Tab", VK_TAB, false}};

// A held download waits after its first piece until a row lets it go on. AtOffer: the run's first rows are Enter on
// the language dialog and on the welcome page.
enum Setup { Plain = 0, HeldArchive = 1, HeldInstaller = 2, AlteredOffer = 4, AtOffer = 8 };

const char kBootstrapFatal[] = "Fatal Error occured !  exiting.", kQuit[] = "Setup cancelled, Quit.",
           kChosen[] = "Language Selected :English", kAsked0[] = "Setup Suspended at Step #0:GenericMessage",
           kAsked1[] = "Setup Suspended at Step #1:ProductOffer", kBack0[] = "Setup resumed to Step #0:GenericMessage",
           kBack1[] = "Setup resumed to Step #1:ProductOffer", kSkipped[] = "Offer ProductOffer Ignored.",
           kIgnoredAll[] = "Ignore all offers clicked", kCleanUp[] = "No Cancel Setup Tasks Are registred.",
           kAltered[] = "The downloaded file is damaged or has been altered :";
// The records that keys may lead to: each row writes its own once and none of the others.
const char* const kWatched[] = {kBootstrapFatal, kQuit, kChosen, kAsked0, kAsked1, kBack0, kBack1, kSkipped,
                                kIgnoredAll, kCleanUp, kAltered};

struct Row {
    State from;
    Key key;
    State to;                      // `from`: the key does nothing
    const char* record = nullptr;  // of kWatched
    int focus = 0;                 // the control that has the focus before the key; 0: as the state left it
};
struct KeyRun {
    const char* name;
    int setup;
    std::vector<Row> rows;
};
void PrintTo(const KeyRun& run, std::ostream* out)
{
    *out << run.name;
}
}  // namespace

class KeyboardTest : public ShellFixture, public ::testing::WithParamInterface<KeyRun> {
public:
    static const std::vector<KeyRun> kRuns;

protected:
    void TearDown() override { ::SetEvent(m_gate.Get()); }  // no server thread left waiting on it

    const wchar_t* const kCaptions[FatalBox + 1] = {kLoader, kLanguageDialog, kWizard, kWizard, kWizard, kWizard,
                                                    kWizard, L"Installer"};
    Win32xx::CScopedHandle m_gate{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // Visible and enabled, the controls among which Tab and Shift+Tab move.
    const std::map<State, std::set<int>> kTabStops{{Languages, {kLanguageList, IDOK, IDCANCEL}},
        {Welcome, {Next, Cancel, LeftLink, RightLink}}, {Offer, {Skip, SkipAll, Next, Previous, Cancel}},
        {Question, {Next, Close}}, {Tasks, {TaskCancel}}, {Finished, {Next}}};
    // How each page of the main dialog looks: its visible buttons, the resource ids of their captions (on the
    // welcome page and the question the hidden skip button's too: the offer gave its own back), a page text.
    struct Look {
        std::vector<int> buttons;
        std::map<int, int> captions;
        const wchar_t* title;
    };
    const std::map<State, Look> kLooks{
        {Welcome, {{Next, Cancel}, {{Next, 78}, {Cancel, 84}, {Skip, 1}}, L"Welcome to Kestrafin"}},
        {Offer, {{Skip, SkipAll, Next, Previous, Cancel}, {{Skip, 238}, {SkipAll, 2}, {Next, 237}, {Previous, 77},
                                                           {Cancel, 84}}, nullptr}},
        {Question, {{Next, Close}, {{Next, 78}, {Close, 85}, {Skip, 1}}, L"Next > goes on"}},
        {Tasks, {{Cancel, TaskCancel}, {{Cancel, 216}, {TaskCancel, 84}}, nullptr}},
        {Finished, {{Next}, {{Next, 216}}, nullptr}}};

    bool Looks(HWND window, const Look& look)
    {
        for (const auto& [button, caption] : look.captions)
            if (winauto::ControlText(window, button) != Text(caption))
                return false;
        return VisibleButtons(window) == look.buttons && (!look.title || PageText(window, Title) == look.title);
    }
    HWND Window(State state)
    {
        return state >= Exit0 ? nullptr : winauto::WaitForWindow(kCaptions[state], 0, m_product->Id());
    }
    bool Shows(State state)
    {
        if (state >= Exit0)
            return !m_product->IsRunning() && m_product->ExitCode() == (state == Exit0 ? 0 : kExitMinusOne);
        const HWND window = Window(state);
        const auto look = kLooks.find(state);
        return window && (look == kLooks.end() || Looks(window, look->second));
    }
    // Every message posted to the dialog's thread so far, and what they posted, handled: a marker through the
    // bootstrap's bar or the task page's, which the main dialog holds from its start.
    bool Settle(HWND window)
    {
        const HWND bar = winauto::FindDescendant(window, ::GetDlgItem(window, kLoaderBar) ? kLoaderBar : TasksProgress);
        return bar && winauto::WaitForPostedMessages(bar, kTimeoutMs);
    }
    std::vector<size_t> Counts()
    {
        std::vector<size_t> counts;
        const auto log = Log();
        for (const char* text : kWatched)
            counts.push_back(std::count_if(log.begin(), log.end(),
                                           [&](const auto& record) { return record.message.find(text) == 0; }));
        return counts;
    }
    void Press(HWND window, Key key)
    {
        if (key == CloseBox)
            winauto::ClickCloseBox(window);
        else if (key == Download)
            ::SetEvent(m_gate.Get());
        else
            kKeys[key].alt ? winauto::PressAltKey(window, kKeys[key].virtualKey)
                           : winauto::PressKey(window, kKeys[key].virtualKey);
    }
    // n Tabs visit the n stops, each once; n Shift+Tabs go round the other way, back to where the Tabs ended.
    void ExpectTabCycle(HWND window, State state, const std::string& where)
    {
        const std::set<int>& stops = kTabStops.at(state);
        const auto press = [&](bool shift) {
            const int before = winauto::FocusedControl(window);
            std::optional<winauto::ShiftHeld> held;
            if (shift)
                held.emplace(window);
            winauto::PressKey(window, VK_TAB);
            stops.size() > 1 ? winauto::WaitUntil([&] { return winauto::FocusedControl(window) != before; },
                                                  kTimeoutMs)
                             : Settle(window);
            return winauto::FocusedControl(window);
        };
        std::vector<int> forward, backward;
        for (size_t i = 0; i < stops.size(); ++i)
            forward.push_back(press(false));
        for (size_t i = 0; i < stops.size(); ++i)
            backward.push_back(press(true));
        std::vector<int> reversed(forward.rbegin() + 1, forward.rend());
        reversed.push_back(forward.back());
        EXPECT_EQ(std::set<int>(forward.begin(), forward.end()), stops) << where << ": Tab";
        EXPECT_EQ(backward, reversed) << where << ": Shift+Tab";
    }
};

TEST_P(KeyboardTest, KeysLeadWhereTheTableSays)
{
    const int setup = GetParam().setup;
    SetText(1, "&Skip");  // the skip button's caption, and on the offer page
    SetText(238, "&Skip this offer");
    if (setup & AlteredOffer)
        m_database.AddText("1033", kOfferDigest, std::string(64, '0'));
    if (setup & HeldInstaller) {
        m_installer.pieceSize = 64 * 1024;
        m_installer.gate = m_gate.Get();
    }
    m_server.Serve("/KestrafinInstaller.exe", m_installer);
    m_server.Serve("/PartnerInstaller.exe", m_installer);
    ServeArchive({}, "resources.db", 256, 0, setup & HeldArchive ? m_gate.Get() : nullptr);
    m_product = Start(L"KestrafinSetup.exe");

    std::vector<Row> rows = GetParam().rows;
    if (setup & AtOffer)
        rows.insert(rows.begin(), {{Languages, Enter, Welcome, kChosen}, {Welcome, Enter, Offer}});
    for (const Row& row : rows) {
        const std::string where = std::string("(") + kStateNames[row.from] + ", " + kKeys[row.key].name +
                                  (row.focus ? " on " + std::to_string(row.focus) : "") + ")";
        ASSERT_TRUE(winauto::WaitUntil([&] { return Shows(row.from); }, kTimeoutMs))
            << where << ": not reached; " << ProductState();
        const HWND window = Window(row.from);
        const std::vector<size_t> before = Counts();
        ASSERT_TRUE(!row.focus || TabTo(window, row.focus)) << where << ": no focus";
        row.key == TabCycle ? ExpectTabCycle(window, row.from, where) : Press(window, row.key);
        const std::string missed = where + ": not " + kStateNames[row.to] + "; ";
        ASSERT_TRUE(winauto::WaitUntil([&] { return Shows(row.to); }, kTimeoutMs)) << missed << ProductState();
        // Where a marker bar is (not in the language dialog and the box): the key and what it posted were handled.
        if (row.key != TabCycle && row.to != Languages && row.to < FatalBox) {
            ASSERT_TRUE(Settle(Window(row.to))) << where << ": not handled; " << ProductState();
            ASSERT_TRUE(Shows(row.to)) << missed << ProductState();
        }
        const std::vector<size_t> after = Counts();
        for (size_t i = 0; i < after.size(); ++i)
            EXPECT_EQ(after[i] - before[i], kWatched[i] == row.record ? 1u : 0u) << where << ": " << kWatched[i];
    }
    EXPECT_EQ(OfferRecord(), "") << "the offer ran: skipped, altered or never reached in every run";
}

const std::vector<KeyRun> KeyboardTest::kRuns = {
    // The bootstrap cannot be cancelled: no key ends it.
    {"BootstrapIgnoresKeysLanguageEscapeCancels", HeldArchive, {{Loading, Enter, Loading}, {Loading, Esc, Loading},
        {Loading, Space, Loading}, {Loading, Tab, Loading}, {Loading, AltF4, Loading}, {Loading, Download, Languages},
        {Languages, TabCycle, Languages}, {Languages, Esc, Exit0, kQuit}}},
    // The close box and Alt+F4 end the language dialog without the cancel record. (Wine's drop-down list keeps
    // Alt+F4 for itself: pressed on OK.)
    {"LanguageAltF4", Plain, {{Languages, AltF4, Exit0, nullptr, IDOK}}},
    {"LanguageCloseBox", Plain, {{Languages, CloseBox, Exit0}}},
    {"LanguageSpaceOnCancel", Plain, {{Languages, Space, Exit0, kQuit, IDCANCEL}}},
    // Cancel asked and answered on the welcome and offer pages; the accepted offer's installer is altered. The fatal
    // box ends the run: the unfinished wizard's clean-up dialog starts (its record) and ends at once.
    {"WelcomeOfferQuestionThenFatalBoxEnter", AlteredOffer, {{Languages, Space, Welcome, kChosen, IDOK},
        {Welcome, TabCycle, Welcome}, {Welcome, AltS, Welcome}, {Welcome, Esc, Question, kAsked0},
        {Question, Esc, Question}, {Question, TabCycle, Question}, {Question, Enter, Welcome, kBack0},
        {Welcome, AltF4, Question, kAsked0}, {Question, Space, Welcome, kBack0, Next},
        {Welcome, CloseBox, Question, kAsked0}, {Question, Enter, Welcome, kBack0},
        {Welcome, Space, Question, kAsked0, Cancel}, {Question, Enter, Welcome, kBack0},
        {Welcome, Space, Offer, nullptr, Next}, {Offer, TabCycle, Offer}, {Offer, Esc, Question, kAsked1},
        {Question, Enter, Offer, kBack1}, {Offer, AltF4, Question, kAsked1}, {Question, Enter, Offer, kBack1},
        {Offer, CloseBox, Question, kAsked1}, {Question, Enter, Offer, kBack1},
        {Offer, Space, Question, kAsked1, Cancel}, {Question, Enter, Offer, kBack1},
        {Offer, Space, Welcome, nullptr, Previous}, {Welcome, Enter, Offer}, {Offer, Enter, FatalBox, kAltered},
        {FatalBox, Enter, ExitFatal, kCleanUp}}},
    // Space on the offer's accept does what Enter does; the box has only OK, which Alt+F4 takes as well.
    {"FatalBoxEscape", AlteredOffer | AtOffer,
        {{Offer, Enter, FatalBox, kAltered}, {FatalBox, Esc, ExitFatal, kCleanUp}}},
    {"FatalBoxSpace", AlteredOffer | AtOffer,
        {{Offer, Space, FatalBox, kAltered, Next}, {FatalBox, Space, ExitFatal, kCleanUp}}},
    {"FatalBoxAltF4", AlteredOffer | AtOffer,
        {{Offer, Enter, FatalBox, kAltered}, {FatalBox, AltF4, ExitFatal, kCleanUp}}},
    // The task page ignores every key but its own cancel; the tasks go on to the finished page.
    {"OfferSkippedTasksFinishedEnter", HeldInstaller | AtOffer, {{Offer, AltS, Tasks, kSkipped},
        {Tasks, Enter, Tasks}, {Tasks, Esc, Tasks}, {Tasks, AltF4, Tasks}, {Tasks, CloseBox, Tasks},
        {Tasks, TabCycle, Tasks}, {Tasks, Download, Finished}, {Finished, Esc, Finished},
        {Finished, TabCycle, Finished}, {Finished, Enter, Exit0}}},
    {"TaskCancelSpace", HeldInstaller | AtOffer, {{Offer, Enter, Tasks}, {Tasks, Space, Exit0, kCleanUp, TaskCancel}}},
    {"FinishedAltF4", AtOffer, {{Offer, Space, Finished, kIgnoredAll, SkipAll}, {Finished, AltF4, Exit0}}},
    {"OfferDeclinedFinishedCloseBox", AtOffer, {{Offer, Space, Finished, kSkipped, Skip}, {Finished, CloseBox, Exit0}}},
    {"FinishedSpace", AtOffer, {{Offer, AltS, Finished, kSkipped}, {Finished, Space, Exit0, nullptr, Next}}},
    // Leaving the question unanswered ends the wizard unfinished: the clean-up dialog runs.
    {"QuestionAltF4", AtOffer, {{Offer, Esc, Question, kAsked1}, {Question, AltF4, Exit0, kCleanUp}}},
    {"QuestionSpaceOnClose", AtOffer, {{Offer, Esc, Question, kAsked1}, {Question, Space, Exit0, kCleanUp, Close}}},
    {"QuestionCloseBox", AtOffer, {{Offer, Esc, Question, kAsked1}, {Question, CloseBox, Exit0, kCleanUp}}},
};

INSTANTIATE_TEST_SUITE_P(Table, KeyboardTest, ::testing::ValuesIn(KeyboardTest::kRuns),
                         [](const auto& info) { return std::string(info.param.name); });
