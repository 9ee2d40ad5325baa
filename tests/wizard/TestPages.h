// Pages for the step tests: one that may refuse next or previous, and an offer.
#pragma once

#include "wizard/StepFrame.h"
#include "wizard/StepFrameDialogBase.h"

class TestPage : public StepFrameDialogBase {
public:
    explicit TestPage(StepFrame* owner) : StepFrameDialogBase(owner, 116) {}
    PageKind Kind() const override { return PageKind::Message; }
    bool OnNext() override { return allowNext; }
    bool OnPrevious() override { return allowPrevious; }

    bool allowNext = true, allowPrevious = true;
};

class TestOfferPage : public TestPage {
public:
    explicit TestOfferPage(StepFrame* owner) : TestPage(owner) { owner->isOffer = 1; }
    PageKind Kind() const override { return PageKind::Offer; }
};
