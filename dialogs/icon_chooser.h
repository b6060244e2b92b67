#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/controls.h"
#include "platform/dpi.h"
#include "platform/modal_window.h"

// The icon chooser: every icon of a file in a grid of ten columns, picked by clicking a cell or
// typing its index. Modal; the window is made on first use and hidden between uses.
class IconChooser : public ModalWindow {
public:
    IconChooser() = default;

    // Shows the icons of iconFile with selectedIconIndex preselected; OK writes the chosen index
    // back, Cancel leaves it. Answers IDOK or IDCANCEL.
    int ShowModal(HWND owner, const std::wstring& iconFile, int& selectedIconIndex);

    // Handlers; tests call them while the dialog is open (from OnShown).
    void ShowIcons();
    void TakeClickedCell();
    void FollowTypedIndex();
    void Accept() override;


    // State as the user sees it.
    HWND IconList() const { return iconList_.Handle(); }
    HWND IconIndexEdit() const { return iconIndex_.Handle(); }
    HWND IconIndexSpin() const { return iconIndexSpin_.Handle(); }
    int IconCount() const;
    int SelectedCell() const;  // -1 when no cell is selected
    int IconIndexValue() const;  // the spin edit's value: not a number counts as 0, kept inside the range
    int IconIndexMin() const;
    int IconIndexMax() const;
    void SetIconIndexText(const std::wstring& text);  // as typed by the user
    std::wstring Caption() const;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    const wchar_t* HelpTopic() const override { return L"LinkIcon"; }
    void ApplyDpi(UINT dpi, const RECT* suggested) override;

private:
    void CreateControls(HWND owner);
    void DrawCell(const DRAWITEMSTRUCT& item);

    int S(int designSize) const { return Scale(designSize, dpi_); }

    ListBox iconList_;
    Control iconIndex_;
    Control iconIndexSpin_;
    Button ok_, cancel_;
    UINT dpi_ = 96;
    HFONT font_ = nullptr;
    int itemHeight_ = 49;
    std::wstring iconFile_;
    int* selectedIconIndex_ = nullptr;
};
