// The page of a product offer: the offer as HTML in an embedded browser that
// fills the page. Moving on accepts the offer: the page queues the download
// and the launch of the offer's installer in its step. While it is shown,
// the main dialog's skip and next buttons carry the offer's captions.
#pragma once

#include <optional>
#include <string>

#include "InstallerChain.h"
#include "OfferTutorial.h"
#include "wizard/StepFrameDialogBase.h"
#include "wizard/controls/CWebBrowserEx.h"

class GenericProductOffer : public StepFrameDialogBase {
public:
    static constexpr const wchar_t* kStepName = L"ProductOffer";

    explicit GenericProductOffer(StepFrame* owner);
    PageKind Kind() const override { return PageKind::Offer; }

    void OnSetupCancel() override { SetOfferCaptions(false); }
    bool OnNext() override;
    void OnStepShown() override;
    bool OnPrevious() override;

protected:
    BOOL OnInitPage() override;
    // The browser follows the page's size (the frame sizes the page after
    // its creation).
    BOOL OnPageMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCancel() override { SetOfferCaptions(false); }

private:
    // Covers the whole page with the browser.
    void PlaceBrowser();
    void LoadHtml(const std::string& html);
    void SetOfferCaptions(bool offer);

    // The offer's installer, read with the page (before: no address).
    InstallerChain m_installer;
    // Established names without the m_ prefix.
    OfferTutorial tutorial;
    CWebBrowserEx browser;
};
