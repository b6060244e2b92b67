#pragma once
#include <functional>
#include <memory>
#include <optional>

#include "platform/handles.h"
#include "platform/mouse_hover.h"
#include "platform/window.h"
#include "wizard/history_combo_box.h"
#include "wizard/wizard_page.h"

class ImageControl;
class PathLabel;

// The fourth page: the target's own icon or one from an icon file, with a preview that starts
// the target when clicked.
class IconPage final : public WizardPage {
public:
    IconPage(PageHost& host, LinkDraft& draft, WizardStage& stage, WizardSystem system, OpenDialog& openDialog,
             const HistoryList& history);
    ~IconPage() override;

    // Lets the user choose one of the file's icons, changing index when one was chosen.
    std::function<void(const std::wstring& file, int& index)> OnChooseIcon;
    // "Erweitert…", which an Internet shortcut finds here: the description page is passed over.
    std::function<void()> OnEditSettings;

    // The icon of a link being edited or dropped: the icon file (empty: the target's own) and index.
    void TakeLinkIcon(const std::wstring& iconFile, int iconIndex);
    // The target changed: a file chosen for its icon no longer applies.
    void ForgetIconFile();
    std::optional<HistoryList> History() const;

    int Parts() const override { return 4; }
    void BuildPart(int part, const PageArea& area) override;
    void Enter() override;
    void Shown() override;
    bool Leave() override;
    HWND FirstControl() const override;
    void Reset() override;
    void Drop(const std::wstring& path) override;
    void FontChanged(HFONT font) override;
    void LoadPictures(UINT dpi) override;
    void Resize() override;
    bool Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Clicking the preview or its name starts the target as the link will.
    void LaunchTarget();
    // The icon file as a link stores it: %SystemRoot% expanded, the preview from its first icon.
    void LoadIconFile();

private:
    void BuildChoice(const PageArea& area);
    void BuildIconFileField(const PageArea& area);
    void BuildIconFileButtons(const PageArea& area);
    void BuildPreview(const PageArea& area);

    // Standard or icon file chosen.
    void ChoiceChanged();
    void IconFileTyped();
    void BrowseIconFile();
    void ChooseWindowsIcon();
    void ChooseIconIndex();
    void UseIconFile(bool iconFile);
    void UpdatePreview();
    void UpdateStandardCaption();
    void PlaceIconLabel();
    void PreviewFromIconFile(int index);
    void PreviewTargetIcon();
    void SetPreview(HICON large, HICON small);
    void HighlightName(bool hot);

    LinkDraft& draft_;
    WizardStage& stage_;
    WizardSystem system_;
    OpenDialog& openDialog_;
    HistoryList initialHistory_;
    int iconIndex_ = 0;

    Button standardIcon_, iconFileChoice_, chooseIcon_, browseIconFile_, windowsIcons_, settings_;
    HistoryComboBox iconFile_;
    Label previewCaption_, targetName_;
    std::unique_ptr<ImageControl> preview_, smallPreview_;
    std::unique_ptr<PathLabel> standardFileName_;
    IconHandle chooseIconPicture_;
    bool nameHot_ = false;
    ControlHook nameMouse_;
    MouseHover nameHover_;
};
