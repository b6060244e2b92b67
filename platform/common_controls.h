#pragma once
#include <windows.h>

#include <stdexcept>

// Stands for the visual styles on a form: the program carries the application manifest that
// asks for version 6 of the common controls (app/zeigerwerk.manifest), and this component makes
// sure they are loaded. At most one per form, and only on a form.
class CommonControls {
public:
    explicit CommonControls(HWND owner);
    ~CommonControls();
    CommonControls(const CommonControls&) = delete;
    CommonControls& operator=(const CommonControls&) = delete;

    HWND Owner() const { return owner_; }

private:
    HWND owner_;
};

// A component placed where it may not be.
class ComponentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
