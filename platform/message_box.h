#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Every message box of the program goes through here: German buttons whatever the language of
// Windows, the exclamation sound before boxes that reject an input, and a seam for tests.

enum class BoxKind { Warning, Error, Question, Information };
enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

inline constexpr const wchar_t* kWarningCaption = L"Warnung";

// preselected: the button that Enter presses (Yes or No for YesNo boxes).
BoxAnswer ShowBox(HWND owner, const std::wstring& text, const std::wstring& caption, BoxKind kind,
                  BoxButtons buttons, BoxAnswer preselected = BoxAnswer::Yes);

// The exclamation sound (MessageBeep with MB_ICONEXCLAMATION).
void ExclamationSound();
// The question sound (MessageBeep with MB_ICONQUESTION).
void QuestionSound();
// The error sound (MessageBeep with MB_ICONHAND).
void ErrorSound();

// Warning box "Warnung" with "&Ja" and "&Nein" (also Esc); true on Yes. Enter answers
// preselected: a question whose Yes destroys data preselects No.
bool WarnYesNo(HWND owner, const std::wstring& text, BoxAnswer preselected = BoxAnswer::Yes);
// Warning box "Warnung" with "OK".
void WarnOk(HWND owner, const std::wstring& text);
// Error box with the application title as caption.
void ShowErrorBox(HWND owner, const std::wstring& text);

// Test seam: while a BoxScript lives, no box is shown. Each box and each sound is recorded in
// order, and each box is answered with the next scripted answer (Ok or No once the script runs out).
struct BoxEvent {
    enum class Type { Box, Sound } type;
    std::wstring caption;
    std::wstring text;
    BoxKind kind = BoxKind::Warning;
    BoxButtons buttons = BoxButtons::Ok;
    UINT sound = 0;
    BoxAnswer preselected = BoxAnswer::Yes;
};

class BoxScript {
public:
    explicit BoxScript(std::vector<BoxAnswer> answers = {});
    ~BoxScript();
    BoxScript(const BoxScript&) = delete;
    BoxScript& operator=(const BoxScript&) = delete;

    const std::vector<BoxEvent>& Events() const { return events_; }
    std::vector<BoxEvent> Boxes() const;  // the boxes alone, without sounds
    std::vector<std::wstring> Texts() const;
    void Answer(BoxAnswer answer) { answers_.push_back(answer); }
    size_t UnusedAnswers() const { return answers_.size() - next_; }
    void Clear() { events_.clear(); }

    BoxAnswer Record(BoxEvent event);
    void RecordSound(UINT type);

private:
    std::vector<BoxAnswer> answers_;
    size_t next_ = 0;
    std::vector<BoxEvent> events_;
    BoxScript* previous_;
};
