// Runs the real product through its wizard: a resource database with the
// wizard's texts, the product installer and an offer installer (both the
// recording test program) served on the build's archive address.
#pragma once

#include "Automation.h"
#include "ProductFixture.h"

class WizardFixture : public ProductFixture {
protected:
    static constexpr wchar_t kWizard[] = L"Kestrafin Setup (V3.2)";
    enum Button { Skip = 1007, SkipAll = 1008, Next = 1009, Close = 1047, Previous = 1054, Cancel = 1055,
                  TaskCancel = 8 };
    enum PageControl { Title = 1024, Subtitle = 1025, Body = 1026, TasksProgress = 1035 };

    WizardFixture();

    // Serves everything, starts the product, confirms the language at
    // `languageIndex` (-1: the preselected one) and returns the wizard.
    HWND StartWizard(int languageIndex = -1);
    // Waits until the wizard shows the finished message.
    bool WaitForFinish(HWND wizard);

    std::wstring PageText(HWND wizard, int id) { return winauto::WindowText(winauto::FindDescendant(wizard, id)); }
    // The buttons that are visible, in the order of `Button`.
    std::vector<int> VisibleButtons(HWND wizard);
    // The records of the installers that ran ("" when one did not run).
    std::string ProductRecord() { return testing_support::ReadFileBytes(m_temp / L"KestrafinInstaller.exe.record.txt"); }
    std::string OfferRecord() { return testing_support::ReadFileBytes(m_temp / L"PartnerInstaller.exe.record.txt"); }
    // Records of the run whose message starts with `text`.
    size_t CountRecords(const std::string& text);

    std::unique_ptr<testing_support::ChildProcess> m_product;
    testing_support::LoopbackHttpServer::Reply m_installer;
};
