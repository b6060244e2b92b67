#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// A small modal box that asks for one line of text, with "OK" and "Abbrechen". True on OK, and
// value then holds the text; value is also the text the field starts with (selected).
bool InputQuery(HWND owner, const std::wstring& caption, const std::wstring& prompt, std::wstring& value);

// Test seam: while an InputScript lives, no box is shown. Each question is recorded and answered
// with the next scripted text (nullopt: Abbrechen); once the script runs out, the answer is Abbrechen.
struct InputEvent {
    std::wstring caption;
    std::wstring prompt;
    std::wstring initialText;
};

class InputScript {
public:
    explicit InputScript(std::vector<std::optional<std::wstring>> answers = {});
    ~InputScript();
    InputScript(const InputScript&) = delete;
    InputScript& operator=(const InputScript&) = delete;

    const std::vector<InputEvent>& Events() const { return events_; }
    size_t UnusedAnswers() const { return answers_.size() - next_; }
    std::optional<std::wstring> Record(InputEvent event);

private:
    std::vector<std::optional<std::wstring>> answers_;
    size_t next_ = 0;
    std::vector<InputEvent> events_;
    InputScript* previous_;
};
