// A DLL planted under a system DLL's name (leaving a marker when loaded) is not taken once the DLL search is
// restricted as the product's entry point does: in a probe that loads them by name with and without the restriction,
// and in the product itself. Wine prefers native DLLs for these two programs alone, whose loader then searches as
// Windows does.

#include <gtest/gtest.h>

#include "Automation.h"
#include "support/ChildProcess.h"
#include "support/Files.h"

namespace {

const wchar_t kProbe[] = L"dll_search_probe.exe", kProduct[] = L"KestrafinSetup.exe";

std::wstring Overrides(const std::wstring& program)
{
    return L"Software\\Wine\\AppDefaults\\" + program + L"\\DllOverrides";
}

class DllPlantingTest : public ::testing::Test {
protected:
    DllPlantingTest()
    {
        const std::wstring source = testing_support::BuildPath(L"planted");
        for (const std::wstring& name : testing_support::ListFolder(source)) {
            if (name.size() <= 4 || name.compare(name.size() - 4, 4, L".dll") != 0)
                continue;
            m_names.push_back(name);
            ::CopyFileW((source + L"\\" + name).c_str(), (m_folder / name).c_str(), FALSE);
            const wchar_t nativeFirst[] = L"native,builtin";
            for (const wchar_t* program : {kProbe, kProduct})
                ::RegSetKeyValueW(HKEY_CURRENT_USER, Overrides(program).c_str(), Stem(name).c_str(), REG_SZ,
                                  nativeFirst, sizeof nativeFirst);
        }
    }
    ~DllPlantingTest() override
    {
        for (const std::wstring& name : m_names)
            for (const wchar_t* program : {kProbe, kProduct})
                ::RegDeleteKeyValueW(HKEY_CURRENT_USER, Overrides(program).c_str(), Stem(name).c_str());
    }
    static std::wstring Stem(const std::wstring& name) { return name.substr(0, name.size() - 4); }

    // The program, copied beside the planted DLLs and started there.
    std::unique_ptr<testing_support::ChildProcess> StartBeside(const wchar_t* program, const std::wstring& arguments)
    {
        EXPECT_FALSE(m_names.empty());
        EXPECT_TRUE(::CopyFileW(testing_support::BuildPath(program).c_str(), (m_folder / program).c_str(), FALSE));
        return std::make_unique<testing_support::ChildProcess>(
            m_folder / program, testing_support::ChildProcess::Options{arguments, m_folder.Path(),
                                                                       {{L"TMP", m_folder.Path() + L"\\"}, {L"TEMP", m_folder.Path() + L"\\"}}});
    }
    // The planted DLLs that were loaded; their markers removed.
    std::vector<std::wstring> Loaded()
    {
        std::vector<std::wstring> loaded;
        for (const std::wstring& name : m_names)
            if (::DeleteFileW((m_folder / (name + L".loaded")).c_str()))
                loaded.push_back(name);
        return loaded;
    }
    std::vector<std::wstring> RunProbe(const std::wstring& options)
    {
        std::wstring arguments = options;
        for (const std::wstring& name : m_names)
            arguments += L" " + name;
        const auto probe = StartBeside(kProbe, arguments);
        EXPECT_TRUE(probe->Wait(20000));
        EXPECT_EQ(probe->ExitCode(), 0u) << "a system DLL did not load";
        return Loaded();
    }

    testing_support::TempFolder m_folder{L"planted"};
    std::vector<std::wstring> m_names;  // "wininet.dll", ...
};

}  // namespace

// The markers work: without the restriction the loader falls for them.
TEST_F(DllPlantingTest, TheRestrictedSearchLoadsTheSystemDllsWhereTheUsualOneLoadsThePlantedOnes)
{
    EXPECT_EQ(RunProbe(L""), m_names);
    EXPECT_EQ(RunProbe(L"--restricted"), std::vector<std::wstring>{});
}

// Nothing serves the archive: once the download has failed (its box, without caption), the network DLLs were loaded.
TEST_F(DllPlantingTest, TheProductLoadsNoPlantedDll)
{
    const auto product = StartBeside(kProduct, L"");
    EXPECT_NE(winauto::WaitForWindow(L"", 20000, product->Id()), nullptr) << "the download did not fail";
    EXPECT_EQ(Loaded(), std::vector<std::wstring>{});
}
