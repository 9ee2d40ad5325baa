// A DLL planted beside a program under the name of a system DLL that the
// program loads is not taken once the program has restricted the DLL
// search as the product's entry point does (app/DllSearch.h). The planted
// DLLs (tests/programs/planted_dll.cpp) write a marker file beside
// themselves when a process loads them.
//
// The product itself is not run here: under Wine, Wine's own system DLLs
// load wininet, urlmon and comctl32 early from System32 as their imports, so
// a planted copy would never be taken, restricted or not, and such a test
// could not fail.
//
// Wine takes its own (builtin) DLL for a system DLL's name wherever a file
// of that name lies, unless told to prefer a native one. The tests tell it
// so, for the planted names and the programs they start only, which makes
// its loader search as Windows does for a DLL that is not a known DLL: the
// program's folder first, unless the program has restricted the search.
// Windows has no use for these settings.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/Files.h"

using testing_support::ChildProcess;

namespace {

// Wine's per-program setting to prefer native DLLs of the given names,
// removed again when the object goes.
class NativeDllsFirst {
public:
    NativeDllsFirst(const std::wstring& program, const std::vector<std::wstring>& dllNames)
        : m_key(L"Software\\Wine\\AppDefaults\\" + program + L"\\DllOverrides"), m_names(dllNames)
    {
        const wchar_t value[] = L"native,builtin";
        for (const std::wstring& name : m_names) {
            EXPECT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, m_key.c_str(), name.c_str(), REG_SZ, value, sizeof value),
                      ERROR_SUCCESS);
        }
    }
    ~NativeDllsFirst()
    {
        for (const std::wstring& name : m_names)
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, m_key.c_str(), name.c_str());
    }
    NativeDllsFirst(const NativeDllsFirst&) = delete;
    NativeDllsFirst& operator=(const NativeDllsFirst&) = delete;

private:
    std::wstring m_key;
    std::vector<std::wstring> m_names;
};

const wchar_t kProbe[] = L"dll_search_probe.exe";

}  // namespace

class DllPlantingTest : public ::testing::Test {
protected:
    static constexpr DWORD kTimeoutMs = 20000;

    DllPlantingTest()
    {
        const std::wstring source = testing_support::BuildPath(L"planted");
        for (const std::wstring& name : testing_support::ListFolder(source)) {
            if (name.size() > 4 && name.compare(name.size() - 4, 4, L".dll") == 0) {
                m_names.push_back(name);
                ::CopyFileW((source + L"\\" + name).c_str(), (m_folder / name).c_str(), FALSE);
            }
        }
        std::vector<std::wstring> modules;  // "wininet", ...
        for (const std::wstring& name : m_names)
            modules.push_back(name.substr(0, name.size() - 4));
        m_preference = std::make_unique<NativeDllsFirst>(kProbe, modules);
    }

    void SetUp() override
    {
        ASSERT_FALSE(m_names.empty());
        ASSERT_TRUE(::CopyFileW(testing_support::BuildPath(kProbe).c_str(), (m_folder / kProbe).c_str(), FALSE));
    }

    // Runs the probe beside the planted DLLs on every planted name.
    DWORD RunProbe(const std::wstring& options)
    {
        std::wstring arguments = options;
        for (const std::wstring& name : m_names)
            arguments += L" " + name;
        ChildProcess probe(m_folder / kProbe, {arguments, m_folder.Path(), {}});
        EXPECT_TRUE(probe.Wait(kTimeoutMs));
        return probe.ExitCode();
    }

    // The planted DLLs that a process loaded.
    std::vector<std::wstring> Loaded() const
    {
        std::vector<std::wstring> loaded;
        for (const std::wstring& name : m_names) {
            if (testing_support::FileExists(m_folder / (name + L".loaded")))
                loaded.push_back(name);
        }
        return loaded;
    }

    testing_support::TempFolder m_folder{L"planted"};
    std::vector<std::wstring> m_names;    // "wininet.dll", ...
    std::unique_ptr<NativeDllsFirst> m_preference;
};

// Without the restriction, each planted DLL is taken: the markers work, and
// the loader would fall for them.
TEST_F(DllPlantingTest, AProgramWithTheUsualSearchLoadsThePlantedDlls)
{
    EXPECT_EQ(RunProbe(L""), 0u);
    EXPECT_EQ(Loaded(), m_names);
}

TEST_F(DllPlantingTest, TheRestrictedSearchLoadsTheSystemDllsInstead)
{
    EXPECT_EQ(RunProbe(L"--restricted"), 0u) << "a system DLL did not load";
    EXPECT_EQ(Loaded(), std::vector<std::wstring>{});
}
