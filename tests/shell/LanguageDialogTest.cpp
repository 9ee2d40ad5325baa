// The language dialog of the real product: the list, the preselection by the
// user's interface language, the caption, and what OK and Cancel do.

#include "Automation.h"
#include "ProductFixture.h"

class LanguageDialogTest : public ProductFixture {
protected:
    // Starts the product and waits for the language dialog.
    HWND OpenDialog()
    {
        ServeArchive();
        m_product = Start(L"KestrafinSetup.exe");
        return winauto::WaitForWindow(kLanguageDialog, kTimeoutMs, m_product->Id());
    }

    std::vector<std::wstring> Items(HWND dialog)
    {
        std::vector<std::wstring> items;
        for (int i = 0, count = winauto::ComboCount(dialog, kLanguageList); i < count; ++i)
            items.push_back(winauto::ComboItemText(dialog, kLanguageList, i));
        return items;
    }

    std::wstring SelectedItem(HWND dialog)
    {
        const int selected = winauto::ComboSelection(dialog, kLanguageList);
        return selected < 0 ? L"" : winauto::ComboItemText(dialog, kLanguageList, selected);
    }

    DWORD CancelAndWait(HWND dialog)
    {
        winauto::Click(dialog, IDCANCEL);
        EXPECT_TRUE(m_product->Wait(kTimeoutMs));
        return m_product->ExitCode();
    }

    std::unique_ptr<testing_support::ChildProcess> m_product;
};

TEST_F(LanguageDialogTest, ListsLanguagesByCodeWithoutTheNeutralOne)
{
    m_database.AddLanguage("2052", "\xE4\xB8\xAD\xE6\x96\x87", "Chinese", "ZH", 0);
    m_database.AddLanguage("1049", "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9", "Russian", "RU", 0);
    const HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    // By code as text: 1031, 1033, 1037, 1049, 2052.
    EXPECT_EQ(Items(dialog), (std::vector<std::wstring>{L"Deutsch", L"English", L"\u05E2\u05D1\u05E8\u05D9\u05EA",
                                                         L"\u0420\u0443\u0441\u0441\u043A\u0438\u0439",
                                                         L"\u4E2D\u6587"}));
    EXPECT_EQ(winauto::WindowText(dialog), L"Kestrafin") << "the caption is the product name";
    EXPECT_EQ(CancelAndWait(dialog), 0u);
}

// The user's interface language comes from the locale that the test program
// runs under: CTest runs these cases again under a German and a Japanese
// locale (shell_tests_german, shell_tests_japanese).
TEST_F(LanguageDialogTest, GermanUserSeesGermanPreselected)
{
    if (::GetUserDefaultUILanguage() != 1031)
        GTEST_SKIP() << "needs a German user (CTest: shell_tests_german)";
    const HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SelectedItem(dialog), L"Deutsch");
    CancelAndWait(dialog);
}

TEST_F(LanguageDialogTest, UserWithoutTheirLanguageSeesEnglishPreselected)
{
    if (::GetUserDefaultUILanguage() != 1041)
        GTEST_SKIP() << "needs a Japanese user (CTest: shell_tests_japanese)";
    const HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SelectedItem(dialog), L"English");
    CancelAndWait(dialog);
}

TEST_F(LanguageDialogTest, CancelEndsTheRunWithoutWizard)
{
    const HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(CancelAndWait(dialog), 0u);
    const auto log = Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 2].function, "SelectLangDialog::OnCancel");
    EXPECT_EQ(log[log.size() - 2].message, "Setup cancelled, Quit.");
    EXPECT_EQ(log.back().message, "Program treminated with code:0");
}

TEST_F(LanguageDialogTest, OkWithNothingSelectedIsIgnored)
{
    m_database.Execute("DELETE FROM LANGUAGE WHERE LANG_CODE IN ('1033', '" +
                       std::to_string(::GetUserDefaultUILanguage()) + "');");
    const HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(winauto::ComboSelection(dialog, kLanguageList), -1);
    winauto::Click(dialog, IDOK);
    EXPECT_FALSE(m_product->Wait(500)) << "OK without a language must not end the dialog";
    EXPECT_EQ(CancelAndWait(dialog), 0u);
}
