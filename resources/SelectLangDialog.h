// The language dialog: lists the languages of the resource database with the
// user's own language preselected (else "1033"), shows the product's name in
// its caption, and makes the confirmed language current.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "framework/ComboBox.h"
#include "framework/Dialog.h"

class SelectLangDialog : public Win32xx::CDialog {
public:
    SelectLangDialog(UINT templateId, std::wstring fallbackCode, std::wstring userCode);

    // Creates the wizard's steps once the user confirmed a language.
    std::function<void()> createSteps;

protected:
    void OnCancel() override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void FillLanguageList();

    Win32xx::CComboBox m_languageList;
    std::map<int, std::wstring> m_indexToCode;
    std::wstring m_fallbackCode;
    std::wstring m_userCode;
};
