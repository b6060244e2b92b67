#include "platform/message_box.h"

#include "platform/app_title.h"
#include "platform/handles.h"

namespace {
thread_local BoxScript* activeScript = nullptr;
thread_local HHOOK boxHook = nullptr;
thread_local bool boxHasNo = false;

// Renames the buttons of the box about to appear; for Yes/No the box is built with a hidden
// Cancel button so that Esc answers No, and the two visible buttons are centred again.
LRESULT CALLBACK GermanButtonsHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        SetDlgItemTextW(box, IDOK, L"OK");
        SetDlgItemTextW(box, IDYES, L"&Ja");
        SetDlgItemTextW(box, IDNO, L"&Nein");
        if (boxHasNo) {
            const HWND yes = GetDlgItem(box, IDYES);
            const HWND no = GetDlgItem(box, IDNO);
            const HWND cancel = GetDlgItem(box, IDCANCEL);
            if (yes && no && cancel) {
                RECT ry, rn, rc;
                GetWindowRect(yes, &ry);
                GetWindowRect(no, &rn);
                GetWindowRect(cancel, &rc);
                MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&ry), 2);
                MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&rn), 2);
                MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&rc), 2);
                const int shift = (rc.left - rn.left) / 2;
                SetWindowPos(yes, nullptr, ry.left + shift, ry.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
                SetWindowPos(no, nullptr, rn.left + shift, rn.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
                ShowWindow(cancel, SW_HIDE);
            }
        }
        UnhookWindowsHookEx(boxHook);
        boxHook = nullptr;
        return 0;
    }
    return CallNextHookEx(boxHook, code, wParam, lParam);
}

UINT IconFlag(BoxKind kind) {
    switch (kind) {
        case BoxKind::Warning: return MB_ICONWARNING;
        case BoxKind::Error: return MB_ICONERROR;
        case BoxKind::Question: return MB_ICONQUESTION;
        case BoxKind::Information: return MB_ICONINFORMATION;
    }
    return 0;
}

void Sound(UINT type) {
    if (activeScript) {
        activeScript->RecordSound(type);
        return;
    }
    MessageBeep(type);
}
}  // namespace

BoxAnswer ShowBox(HWND owner, const std::wstring& text, const std::wstring& caption, BoxKind kind,
                  BoxButtons buttons, BoxAnswer preselected) {
    if (activeScript) {
        BoxEvent event{BoxEvent::Type::Box, caption, text, kind, buttons};
        if (buttons == BoxButtons::Ok) preselected = BoxAnswer::Ok;
        event.preselected = preselected;
        return activeScript->Record(std::move(event));
    }

    const bool yesNo = buttons == BoxButtons::YesNo;
    boxHasNo = yesNo;
    boxHook = SetWindowsHookExW(WH_CBT, GermanButtonsHook, nullptr, GetCurrentThreadId());
    const UINT flags = IconFlag(kind) | (yesNo ? MB_YESNOCANCEL | (preselected == BoxAnswer::No ? MB_DEFBUTTON2 : MB_DEFBUTTON1) : MB_OK) |
                       (owner ? MB_APPLMODAL : MB_TASKMODAL);
    const int result = MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
    if (boxHook) {
        UnhookWindowsHookEx(boxHook);
        boxHook = nullptr;
    }
    if (!yesNo) return BoxAnswer::Ok;
    return result == IDYES ? BoxAnswer::Yes : BoxAnswer::No;
}

void ExclamationSound() { Sound(MB_ICONEXCLAMATION); }
void QuestionSound() { Sound(MB_ICONQUESTION); }
void ErrorSound() { Sound(MB_ICONHAND); }

bool WarnYesNo(HWND owner, const std::wstring& text, BoxAnswer preselected) {
    return ShowBox(owner, text, kWarningCaption, BoxKind::Warning, BoxButtons::YesNo, preselected) == BoxAnswer::Yes;
}

void WarnOk(HWND owner, const std::wstring& text) {
    ShowBox(owner, text, kWarningCaption, BoxKind::Warning, BoxButtons::Ok);
}

void ShowErrorBox(HWND owner, const std::wstring& text) {
    ShowBox(owner, text, AppTitle(), BoxKind::Error, BoxButtons::Ok);
}

BoxScript::BoxScript(std::vector<BoxAnswer> answers) : answers_(std::move(answers)), previous_(activeScript) {
    activeScript = this;
}

BoxScript::~BoxScript() { activeScript = previous_; }

BoxAnswer BoxScript::Record(BoxEvent event) {
    const BoxButtons buttons = event.buttons;
    events_.push_back(std::move(event));
    if (next_ < answers_.size()) return answers_[next_++];
    return buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
}

void BoxScript::RecordSound(UINT type) {
    BoxEvent event{BoxEvent::Type::Sound, {}, {}};
    event.sound = type;
    events_.push_back(std::move(event));
}

std::vector<BoxEvent> BoxScript::Boxes() const {
    std::vector<BoxEvent> boxes;
    for (const auto& e : events_)
        if (e.type == BoxEvent::Type::Box) boxes.push_back(e);
    return boxes;
}

std::vector<std::wstring> BoxScript::Texts() const {
    std::vector<std::wstring> texts;
    for (const auto& e : Boxes()) texts.push_back(e.text);
    return texts;
}
