// A DLL planted under a system DLL's name (leaving a marker when loaded) is not taken once the DLL search is
// restricted as the product's entry point does. A probe stands in for the product, whose system DLLs Wine loads
// early; Wine prefers native DLLs for the probe alone, whose loader then searches as Windows does.

#include <gtest/gtest.h>

#include "support/ChildProcess.h"
#include "support/Files.h"

namespace {

const wchar_t kProbe[] = L"dll_search_probe.exe";
const std::wstring kOverrides = std::wstring(L"Software\\Wine\\AppDefaults\\") + kProbe + L"\\DllOverrides";

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
            ::RegSetKeyValueW(HKEY_CURRENT_USER, kOverrides.c_str(), name.substr(0, name.size() - 4).c_str(), REG_SZ,
                              nativeFirst, sizeof nativeFirst);
        }
    }
    ~DllPlantingTest() override
    {
        for (const std::wstring& name : m_names)
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kOverrides.c_str(), name.substr(0, name.size() - 4).c_str());
    }

    // The planted DLLs that the probe, run beside them, loaded.
    std::vector<std::wstring> RunProbe(const std::wstring& options)
    {
        EXPECT_FALSE(m_names.empty());
        EXPECT_TRUE(::CopyFileW(testing_support::BuildPath(kProbe).c_str(), (m_folder / kProbe).c_str(), FALSE));
        std::wstring arguments = options;
        for (const std::wstring& name : m_names)
            arguments += L" " + name;
        testing_support::ChildProcess probe(m_folder / kProbe, {arguments, m_folder.Path(), {}});
        EXPECT_TRUE(probe.Wait(20000));
        EXPECT_EQ(probe.ExitCode(), 0u) << "a system DLL did not load";
        std::vector<std::wstring> loaded;
        for (const std::wstring& name : m_names)
            if (testing_support::FileExists(m_folder / (name + L".loaded")))
                loaded.push_back(name);
        return loaded;
    }

    testing_support::TempFolder m_folder{L"planted"};
    std::vector<std::wstring> m_names;  // "wininet.dll", ...
};

}  // namespace

// The markers work: without the restriction the loader falls for them.
TEST_F(DllPlantingTest, TheRestrictedSearchLoadsTheSystemDllsWhereTheUsualOneLoadsThePlantedOnes)
{
    EXPECT_EQ(RunProbe(L""), m_names);
    for (const std::wstring& name : m_names)
        ::DeleteFileW((m_folder / (name + L".loaded")).c_str());
    EXPECT_EQ(RunProbe(L"--restricted"), std::vector<std::wstring>{});
}
