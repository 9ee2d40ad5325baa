// The message page: the welcome text, the text shown when the setup is done,
// and the one shown when the user asked to cancel (its three modes), with a
// picture on the left and two links at the bottom.
#pragma once

#include "framework/Wnd.h"
#include "resources/ResourceContract.h"
#include "wizard/StepFrameDialogBase.h"
#include "wizard/controls/CJPEGStatic.h"
#include "wizard/controls/SysLinkControl.h"

class GenericMessageFrame : public StepFrameDialogBase {
public:
    enum Mode { Welcome = 0, Finished = 1, CancelRequested = 2 };

    static constexpr const wchar_t* kStepName = L"GenericMessage";

    explicit GenericMessageFrame(StepFrame* owner);
    PageKind Kind() const override;

    void OnStepEnter() override;
    // Sets the mode and its texts, and renders the page.
    void SetMode(int newMode);
    // Sets the mode alone; its texts follow when the page is next entered.
    void ResetMode(int newMode) noexcept { mode = newMode; }
    int GetMode() const noexcept { return mode; }
    // Renders the texts, the picture and the links of the current fields.
    void Refresh();

protected:
    BOOL OnInitPage() override;

private:
    void TakeModeTexts();

    // Established names without the m_ prefix; the ids are 32-bit ints.
    Win32xx::CWnd titleLabel;
    Win32xx::CWnd bodyLabel;
    Win32xx::CWnd subtitleLabel;
    SysLinkControl leftLink;
    SysLinkControl rightLink;
    CJPEGStatic picture;
    int mode = Welcome;
    Resource::Id titleId{};
    Resource::Id bodyId{};
    int pictureId = 0;
    Resource::Id subtitleId = static_cast<Resource::Id>(-1);
};
