#include "platform/app_title.h"

namespace {
std::wstring& Title() {
    static std::wstring title = L"Zeigerwerk";
    return title;
}
}  // namespace

const std::wstring& AppTitle() { return Title(); }
void SetAppTitle(std::wstring title) { Title() = std::move(title); }
