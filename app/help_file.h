#pragma once
#include <string>
#include <vector>

// The program's help file "Pfeilbau.hlp": UTF-8 text in sections. No Windows header.
//
//   ; a comment line
//   [TopicName] Heading shown above the text
//   Lines of one paragraph, joined with blanks.
//   (an empty line ends a paragraph)
//   - a list item on its own line
//
// Text before the first section is ignored; a topic named twice keeps its first section.

struct HelpTopic {
    std::wstring name;
    std::wstring title;
    std::wstring text;  // paragraphs separated by an empty line, lines ending in CR LF
};

struct HelpContents {
    std::vector<HelpTopic> topics;  // in file order
    // The topic with this name, compared without regard to ASCII case; null when there is none.
    const HelpTopic* Find(const std::wstring& name) const;
};

HelpContents ParseHelpFile(const std::string& utf8);
