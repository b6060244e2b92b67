#pragma once

// The wizard's pages in their order.
enum class WizardPageId { Target, Location, Description, Icon, Kind, Closing };

// What Next does once the page has accepted its input.
enum class NextStep {
    ShowNextPage,
    WriteLink,      // and on to the closing page when it was written
    StartNewLink,   // the closing page's "Ja"
};
// What the link is made for decides which pages it passes: a web address has no description (an
// Internet shortcut holds none) and no choice of kinds.
struct PageTarget {
    bool folder = false;
    bool webAddress = false;
};
NextStep StepAfter(WizardPageId page, PageTarget target);
// The page Next shows when it shows one.
WizardPageId PageAfter(WizardPageId page, PageTarget target);
// The page Back shows; the same page where Back does nothing.
WizardPageId PageBefore(WizardPageId page, PageTarget target);

// The window's caption on the page; null: the closing page keeps the one before it.
const wchar_t* PageCaption(WizardPageId page);
// The help topic of the page; null on the closing page.
const wchar_t* PageHelpTopic(WizardPageId page);
// The caption of Next on the page.
const wchar_t* NextCaption(WizardPageId page, PageTarget target);
