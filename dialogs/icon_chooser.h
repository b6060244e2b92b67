#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/window.h"

// The icon chooser: every icon of a file in a grid of ten columns, picked by clicking a cell or
// typing its index. Modal; the window is made on first use and hidden between uses.
class TForm2 : public Window {
public:
    TForm2() = default;

    // Shows the icons of iconFile with selectedIconIndex preselected; OK writes the chosen index
    // back, Cancel leaves it. Answers IDOK or IDCANCEL.
    int ShowModal(HWND owner, const std::wstring& iconFile, int& selectedIconIndex);

    // Handlers; tests call them while the dialog is open (from OnShown).
    void FormShow();
    void IconListClick();
    void IconIndexChange();
    void OKClick();
    void CancelClick();
    void HelpExecute();

    std::function<void(const std::wstring& topic)> OnHelp;
    // Runs once the dialog is on screen and its modal loop is running.
    std::function<void()> OnShown;

    // State as the user sees it.
    HWND IconList() const { return iconList_; }
    HWND IconIndexEdit() const { return iconIndex_; }
    HWND IconIndexSpin() const { return iconIndexSpin_; }
    int IconCount() const;
    int SelectedCell() const;  // -1 when no cell is selected
    int IconIndexValue() const;  // the spin edit's value: not a number counts as 0, kept inside the range
    int IconIndexMin() const;
    int IconIndexMax() const;
    void SetIconIndexText(const std::wstring& text);  // as typed by the user
    std::wstring Caption() const;
    bool Open() const { return selectedIconIndex_ != nullptr; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate(HWND owner);
    void IconListDrawItem(const DRAWITEMSTRUCT& item);
    void Close(int result);

    HWND iconList_ = nullptr;
    HWND label1_ = nullptr;
    HWND iconIndex_ = nullptr;
    HWND iconIndexSpin_ = nullptr;
    HWND ok_ = nullptr;
    HWND cancel_ = nullptr;
    HWND lastFocus_ = nullptr;
    HFONT font_ = nullptr;
    int itemHeight_ = 49;
    std::wstring iconFile_;
    int* selectedIconIndex_ = nullptr;
    int modalResult_ = 0;
};
