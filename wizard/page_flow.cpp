#include "wizard/page_flow.h"

#include <cstddef>

namespace {
struct PageRow {
    const wchar_t* caption;
    const wchar_t* helpTopic;
};
constexpr PageRow kPageRows[] = {
    {L"Verknüpfung erstellen", L"CreateLink"},
    {L"Verknüpfungsdatei angeben", L"LinkLocation"},
    {L"Beschreibung angeben", L"LinkDescription"},
    {L"Symboldatei angeben", L"LinkIcon"},
    {L"Art der Verknüpfung angeben", L"KindOfLink"},
    {nullptr, nullptr},
};
const PageRow& RowOf(WizardPageId page) { return kPageRows[static_cast<std::size_t>(page)]; }
}  // namespace

NextStep StepAfter(WizardPageId page, PageTarget target) {
    switch (page) {
        // Only a folder has a choice of kinds: a file's link is written from the icon page.
        case WizardPageId::Icon:
            return target.folder && !target.webAddress ? NextStep::ShowNextPage : NextStep::WriteLink;
        case WizardPageId::Kind: return NextStep::WriteLink;
        case WizardPageId::Closing: return NextStep::StartNewLink;
        default: return NextStep::ShowNextPage;
    }
}

WizardPageId PageAfter(WizardPageId page, PageTarget target) {
    if (page == WizardPageId::Location && target.webAddress) return WizardPageId::Icon;
    return page == WizardPageId::Closing ? page : static_cast<WizardPageId>(static_cast<int>(page) + 1);
}

WizardPageId PageBefore(WizardPageId page, PageTarget target) {
    if (page == WizardPageId::Target || page == WizardPageId::Closing) return page;
    if (page == WizardPageId::Icon && target.webAddress) return WizardPageId::Location;
    return static_cast<WizardPageId>(static_cast<int>(page) - 1);
}

const wchar_t* PageCaption(WizardPageId page) { return RowOf(page).caption; }
const wchar_t* PageHelpTopic(WizardPageId page) { return RowOf(page).helpTopic; }

const wchar_t* NextCaption(WizardPageId page, PageTarget target) {
    if (page == WizardPageId::Closing) return L"&Ja";
    return StepAfter(page, target) == NextStep::WriteLink ? L"Fertig stellen" : L"&Weiter >";
}
