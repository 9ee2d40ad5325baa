// The main dialog's layout around each page, as a table: each page declares
// its kind, and the kind with the setup's state picks the strip picture,
// the buttons shown, and the few changes to the next and cancel buttons.
#pragma once

#include <vector>

#include "resources/ResourceContract.h"

// What a page is, as far as the frame around it is concerned.
enum class PageKind {
    WelcomeMessage,   // the message page in its welcome mode
    FinishedMessage,  // the message page once the setup has finished
    Message,          // the message page in another mode (the cancel question)
    Offer,
    Tasks,
    Count,  // not a kind: the number of kinds, so that a test can visit every one
};

struct FrameLayout {
    // Whether the layout changes anything at all; when not, the frame keeps
    // the previous page's strip and buttons.
    bool changes = false;
    int strip = 0;             // resource id of the strip picture; 0 keeps the strip
    std::vector<int> buttons;  // control ids shown; every other button is hidden
    Resource::Id nextCaption{};  // the next button's text; 0 keeps it
    bool nextEnabled = false;  // enables the next button
    bool nextAtCancel = false;  // moves the next button to the cancel button's place
    Resource::Id cancelCaption{};  // the cancel button's text; 0 keeps it
    bool cancelDisabled = false;
};

// The layout of a page of `kind`, while the setup is `suspended` or not.
// Raises std::logic_error for a kind that the table does not know: a page of
// a new kind must be given its layout.
const FrameLayout& LayoutFor(PageKind kind, bool suspended);

// The control ids of every button of the frame's row.
const std::vector<int>& FrameButtons();
