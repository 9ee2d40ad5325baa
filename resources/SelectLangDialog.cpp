#include "SelectLangDialog.h"

#include <vector>

#include "ResourceManager.h"
#include "framework/VisibleText.h"
#include "framework/logging/Logger.h"
#include "res/resource.h"

namespace {

// A value of the program's own version resource (US English, Unicode), or
// false when there is none.
class VersionInfo {
public:
    VersionInfo()
    {
        wchar_t module[MAX_PATH];
        if (!::GetModuleFileNameW(nullptr, module, MAX_PATH))
            return;
        DWORD handle = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(module, &handle);
        if (size == 0)
            return;
        m_data.resize(size);
        if (!::GetFileVersionInfoW(module, 0, size, m_data.data()))
            m_data.clear();
    }

    bool Query(const wchar_t* name, std::wstring& value)
    {
        if (m_data.empty())
            return false;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
        wchar_t* text = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(m_data.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) || !text)
            return false;
        value.assign(text);
        return true;
    }

private:
    std::vector<unsigned char> m_data;
};

// The product name and version of the program's version resource.
bool ReadProductVersion(std::wstring& product, std::wstring& version)
{
    VersionInfo info;
    return info.Query(L"ProductName", product) && info.Query(L"ProductVersion", version);
}

}  // namespace

SelectLangDialog::SelectLangDialog(UINT templateId, std::wstring fallbackCode, std::wstring userCode)
    : CDialog(templateId), m_fallbackCode(std::move(fallbackCode)), m_userCode(std::move(userCode))
{
}

BOOL SelectLangDialog::OnInitDialog()
{
    m_languageList.AttachDlgItem(IDC_LANGUAGE_LIST, GetHwnd());
    FillLanguageList();
    std::wstring product;
    std::wstring version;
    if (ReadProductVersion(product, version)) {
        LOG_INFO << "Product: " << product << " version " << version;
        SetWindowText(product.c_str());
    }
    LOG_INFO << "Display Setup Language Selection Dialog.";
    return TRUE;
}

void SelectLangDialog::FillLanguageList()
{
    const std::map<std::wstring, LangDefinition> languages = GenericSingleton<ResourceManager>::instance().languages();
    m_indexToCode.clear();
    int userIndex = -1;
    int fallbackIndex = -1;
    int count = 0;
    for (const auto& [code, language] : languages) {
        if (code == NEUTRAL_LANGUAGE)
            continue;
        if (code == m_userCode)
            userIndex = count;
        if (code == m_fallbackCode)
            fallbackIndex = count;
        m_languageList.AddString(language.nativeName.c_str());
        m_indexToCode[count] = code;
        ++count;
    }
    if (count > 0)
        m_languageList.SetCurSel(userIndex >= 0 ? userIndex : fallbackIndex);
}


void SelectLangDialog::OnOK()
{
    const auto selected = m_indexToCode.find(m_languageList.GetCurSel());
    if (selected == m_indexToCode.end())
        return;  // nothing chosen: the dialog stays
    ResourceManager& resources = GenericSingleton<ResourceManager>::instance();
    resources.setCurrentLanguage(selected->second);
    LOG_INFO << "Language Selected :" << Win32xx::VisibleText(resources.currentLanguage().englishName);
    if (createSteps)
        createSteps();
    if (IsWindow())
        EndDialog(IDOK);
}

void SelectLangDialog::OnCancel()
{
    LOG_INFO << "Setup cancelled, Quit.";
    EndDialog(IDCANCEL);
}
