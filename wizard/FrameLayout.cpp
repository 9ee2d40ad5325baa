#include "FrameLayout.h"

#include <stdexcept>
#include <string>

#include "res/resource.h"
#include "resources/ResourceContract.h"

namespace {

struct Row {
    PageKind kind;
    bool suspended;
    FrameLayout layout;
};

FrameLayout Welcome()
{
    return {true, Resource::PICTURE_STRIP_WELCOME, {IDC_MAIN_NEXT, IDC_MAIN_CANCEL}};
}

FrameLayout Offer()
{
    return {true,
            Resource::PICTURE_STRIP_OFFER,
            {IDC_MAIN_NEXT, IDC_MAIN_PREVIOUS, IDC_MAIN_CANCEL, IDC_MAIN_SKIP, IDC_MAIN_SKIP_ALL}};
}

// The cancel question: next resumes, close ends the wizard.
FrameLayout Suspended()
{
    FrameLayout layout{true, 0, {IDC_MAIN_NEXT, IDC_MAIN_CLOSE}};
    layout.nextAtCancel = true;
    return layout;
}

FrameLayout Tasks()
{
    FrameLayout layout{true, Resource::PICTURE_STRIP_TASKS, {IDC_MAIN_CANCEL, IDC_MAIN_TASK_CANCEL}};
    layout.cancelDisabled = true;
    layout.cancelCaption = Resource::BUTTON_FINISH;
    return layout;
}

FrameLayout Finished()
{
    FrameLayout layout{true, Resource::PICTURE_STRIP_FINISHED, {IDC_MAIN_NEXT}};
    layout.nextEnabled = true;
    layout.nextCaption = Resource::BUTTON_FINISH;
    return layout;
}

const std::vector<Row>& Table()
{
    static const std::vector<Row> rows = {
        {PageKind::WelcomeMessage, false, Welcome()}, {PageKind::WelcomeMessage, true, Welcome()},
        {PageKind::Offer, false, Offer()},            {PageKind::Offer, true, Offer()},
        {PageKind::Tasks, false, Tasks()},            {PageKind::Tasks, true, Suspended()},
        {PageKind::FinishedMessage, false, Finished()}, {PageKind::FinishedMessage, true, Suspended()},
        {PageKind::Message, false, FrameLayout{}},    {PageKind::Message, true, Suspended()},
    };
    return rows;
}

}  // namespace

const FrameLayout& LayoutFor(PageKind kind, bool suspended)
{
    for (const Row& row : Table())
        if (row.kind == kind && row.suspended == suspended)
            return row.layout;
    throw std::logic_error("no frame layout for page kind " + std::to_string(static_cast<int>(kind)));
}

const std::vector<int>& FrameButtons()
{
    static const std::vector<int> buttons = {IDC_MAIN_SKIP,     IDC_MAIN_SKIP_ALL, IDC_MAIN_NEXT,       IDC_MAIN_CLOSE,
                                             IDC_MAIN_PREVIOUS, IDC_MAIN_CANCEL,   IDC_MAIN_TASK_CANCEL};
    return buttons;
}
