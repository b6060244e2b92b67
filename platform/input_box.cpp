#include "platform/input_box.h"

#include "platform/window.h"

namespace {
thread_local InputScript* activeScript = nullptr;

constexpr int kPromptId = 100;
constexpr int kEditId = 101;

// A dialog template built in memory: DLGTEMPLATE, then per item a DLGITEMTEMPLATE, all aligned.
class TemplateWriter {
public:
    void Align() {
        while (words_.size() % 2) words_.push_back(0);
    }
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const std::wstring& text) {
        for (wchar_t c : text) Word(static_cast<WORD>(c));
        Word(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom, const std::wstring& text) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(static_cast<WORD>(x));
        Word(static_cast<WORD>(y));
        Word(static_cast<WORD>(cx));
        Word(static_cast<WORD>(cy));
        Word(id);
        Word(0xFFFF);
        Word(classAtom);
        Text(text);
        Word(0);
    }
    const WORD* Data() const { return words_.data(); }

private:
    std::vector<WORD> words_;
};

struct DialogState {
    std::wstring* value;
};

INT_PTR CALLBACK InputProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            auto* state = reinterpret_cast<DialogState*>(lParam);
            SetDlgItemTextW(dialog, kEditId, state->value->c_str());
            SendDlgItemMessageW(dialog, kEditId, EM_SETSEL, 0, -1);
            SetFocus(GetDlgItem(dialog, kEditId));
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
                const HWND edit = GetDlgItem(dialog, kEditId);
                std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
                text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
                *state->value = text;
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}
}  // namespace

bool InputQuery(HWND owner, const std::wstring& caption, const std::wstring& prompt, std::wstring& value) {
    if (activeScript) {
        const auto answer = activeScript->Record({caption, prompt, value});
        if (!answer) return false;
        value = *answer;
        return true;
    }
    TemplateWriter t;
    t.Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.Dword(0);
    t.Word(4);
    t.Word(0);
    t.Word(0);
    t.Word(180);
    t.Word(64);
    t.Word(0);  // no menu
    t.Word(0);  // standard class
    t.Text(caption);
    t.Word(8);
    t.Text(L"MS Shell Dlg");
    t.Item(SS_LEFT | SS_NOPREFIX, 7, 7, 166, 9, kPromptId, 0x0082, prompt);
    t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 19, 166, 13, kEditId, 0x0081, L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 69, 41, 50, 14, IDOK, 0x0080, L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 123, 41, 50, 14, IDCANCEL, 0x0080, L"Abbrechen");
    DialogState state{&value};
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                                   reinterpret_cast<LPCDLGTEMPLATEW>(t.Data()), owner,
                                                   InputProcedure, reinterpret_cast<LPARAM>(&state));
    return result == IDOK;
}

InputScript::InputScript(std::vector<std::optional<std::wstring>> answers)
    : answers_(std::move(answers)), previous_(activeScript) {
    activeScript = this;
}

InputScript::~InputScript() { activeScript = previous_; }

std::optional<std::wstring> InputScript::Record(InputEvent event) {
    events_.push_back(std::move(event));
    if (next_ < answers_.size()) return answers_[next_++];
    return std::nullopt;
}
