// Navigation: past skipped offers, back, pages that refuse, offers ignored one by one or all; the frame of an unknown page.

#include <gtest/gtest.h>

#include <stdexcept>

#include "TestPages.h"
#include "wizard/StepsManager.h"

namespace {

TestPage& PageOf(StepFrame* step) { return dynamic_cast<TestPage&>(*step->page); }

}  // namespace

class StepsManagerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        StepsManager& steps = GenericSingleton<StepsManager>::instance();
        steps.AddStep<TestPage>(L"Welcome");
        steps.AddStep<TestOfferPage>(L"OfferOne");
        steps.AddStep<TestOfferPage>(L"OfferTwo");
        steps.AddStep<TestPage>(L"Tasks");
    }

    void SetUp() override
    {
        m_steps.stepChangedHandler = [this](StepFrame* step) { m_shown.push_back(step); };
        for (StepFrame* step : m_steps.GetSteps()) {
            step->active = 1;
            step->tasks.clear();
            PageOf(step).allowNext = PageOf(step).allowPrevious = true;
        }
        m_steps.GetStep(0);
    }

    StepFrame* Step(const wchar_t* name) { return m_steps.FindStep(name); }

    StepsManager& m_steps = GenericSingleton<StepsManager>::instance();
    std::vector<StepFrame*> m_shown;
};

TEST_F(StepsManagerTest, AddingAnExistingStepReturnsIt)
{
    StepFrame* again = m_steps.AddStep<TestPage>(L"Welcome");
    EXPECT_EQ(again, Step(L"Welcome"));
    EXPECT_EQ(m_steps.GetStepCount(), 4);
    EXPECT_EQ(m_steps.FindStep(L"welcome"), nullptr) << "names are case-sensitive";
}

TEST_F(StepsManagerTest, NextPassesOverIgnoredOffersOnlyAndIgnoringOneMovesOn)
{
    Step(L"OfferOne")->active = 0;
    m_steps.NextStep();
    EXPECT_EQ(m_steps.GetCurrentStepName().str(), L"OfferTwo");
    EXPECT_EQ(m_shown, std::vector<StepFrame*>{Step(L"OfferTwo")});

    m_steps.GetStep(0);
    m_steps.IgnoreAllOffers();  // from a step that is not an offer: all offers, then next
    EXPECT_EQ(m_steps.GetCurrentStepName().str(), L"Tasks");
    EXPECT_EQ(Step(L"OfferOne")->active, 0);
    EXPECT_EQ(Step(L"OfferTwo")->active, 0);

    Step(L"OfferOne")->active = Step(L"OfferTwo")->active = 1;
    m_steps.ShowStep(1);
    m_steps.IgnoreCurrentOffer();
    EXPECT_EQ(Step(L"OfferOne")->active, 0);
    EXPECT_EQ(Step(L"OfferTwo")->active, 1);
    EXPECT_EQ(m_steps.GetCurrentStepName().str(), L"OfferTwo");

    m_steps.GetStep(0);
    m_steps.IgnoreCurrentOffer();  // not an offer: nothing ignored, still next
    EXPECT_EQ(Step(L"Welcome")->active, 1);
    EXPECT_EQ(m_steps.GetCurrentStepName().str(), L"OfferTwo") << "OfferOne is still ignored";
}

TEST_F(StepsManagerTest, RefusedNextAndStepsThatDoNotExistKeepTheWizardThere)
{
    PageOf(Step(L"Welcome")).allowNext = false;
    m_steps.NextStep();
    m_steps.ShowStep(4);
    m_steps.GoToStep(L"Missing");
    EXPECT_EQ(m_steps.GetCurrentIndex(), 0);
    EXPECT_TRUE(m_shown.empty()) << "the step-changed handler must not run";
}

TEST_F(StepsManagerTest, PreviousMakesTheOfferActiveAgainAndDropsItsTasks)
{
    m_steps.ShowStep(2);
    StepFrame* offer = Step(L"OfferTwo");
    offer->active = 0;
    offer->tasks.push_back(nullptr);
    m_steps.PreviousStep();
    EXPECT_EQ(m_steps.GetCurrentStepName().str(), L"OfferOne");
    EXPECT_EQ(offer->active, 1);
    EXPECT_TRUE(offer->tasks.empty());

    PageOf(Step(L"OfferOne")).allowPrevious = false;
    m_steps.PreviousStep();
    EXPECT_EQ(m_steps.GetCurrentStepName().str(), L"OfferOne");

    m_steps.GetStep(0);
    m_steps.PreviousStep();
    EXPECT_EQ(m_steps.GetCurrentIndex(), 0) << "nothing before the first step";
}

// Every kind has its layout in both states; one that the table lacks fails loudly, not keeping the previous buttons.
TEST(FrameLayoutTest, EveryKindHasALayoutAndAnUnknownOneFailsLoudly)
{
    for (int kind = 0; kind < static_cast<int>(PageKind::Count); ++kind)
        for (const bool suspended : {false, true})
            EXPECT_NO_THROW(LayoutFor(static_cast<PageKind>(kind), suspended)) << kind << " " << suspended;
    EXPECT_THROW(LayoutFor(PageKind::Count, false), std::logic_error);
}
