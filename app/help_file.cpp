#include "app/help_file.h"

#include "platform/utf.h"

namespace {
wchar_t AsciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool SameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

std::wstring Trimmed(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// Collects the lines of one topic into paragraphs and list items.
class TopicText {
public:
    void Add(const std::wstring& raw) {
        const std::wstring line = Trimmed(raw);
        if (line.empty()) {
            EndBlock();
            return;
        }
        const bool item = line.size() > 1 && line[0] == L'-' && line[1] == L' ';
        if (item) {
            if (!paragraph_.empty() && !inList_) EndBlock();
            if (!paragraph_.empty()) paragraph_ += L"\r\n";
            paragraph_ += L"\u2022 " + Trimmed(line.substr(2));
            inList_ = true;
            return;
        }
        // An indented line continues the list item above it.
        const bool continuation = inList_ && (raw[0] == L' ' || raw[0] == L'\t');
        if (inList_ && !continuation) EndBlock();
        if (!paragraph_.empty()) paragraph_ += L' ';
        paragraph_ += line;
    }

    std::wstring Finish() {
        EndBlock();
        return text_;
    }

private:
    void EndBlock() {
        if (paragraph_.empty()) return;
        if (!text_.empty()) text_ += L"\r\n\r\n";
        text_ += paragraph_;
        paragraph_.clear();
        inList_ = false;
    }

    std::wstring text_, paragraph_;
    bool inList_ = false;
};
}  // namespace

const HelpTopic* HelpContents::Find(const std::wstring& name) const {
    for (const auto& topic : topics)
        if (SameName(topic.name, name)) return &topic;
    return nullptr;
}

HelpContents ParseHelpFile(const std::string& utf8) {
    std::wstring content = WideFromUtf8(utf8);
    if (!content.empty() && content[0] == L'\uFEFF') content.erase(0, 1);

    HelpContents file;
    HelpTopic current;
    TopicText text;
    bool inTopic = false;
    auto finishTopic = [&] {
        if (!inTopic) return;
        current.text = text.Finish();
        if (!file.Find(current.name)) file.topics.push_back(std::move(current));
        current = {};
        text = {};
    };

    size_t start = 0;
    while (start <= content.size()) {
        size_t end = content.find(L'\n', start);
        if (end == std::wstring::npos) end = content.size();
        std::wstring line = content.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();

        if (!line.empty() && line[0] == L';') continue;
        const size_t close = line.find(L']');
        if (!line.empty() && line[0] == L'[' && close != std::wstring::npos && close > 1) {
            finishTopic();
            inTopic = true;
            current.name = Trimmed(line.substr(1, close - 1));
            current.title = Trimmed(line.substr(close + 1));
            if (current.title.empty()) current.title = current.name;
            continue;
        }
        if (inTopic) text.Add(line);
    }
    finishTopic();
    return file;
}
