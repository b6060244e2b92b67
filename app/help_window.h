#pragma once
#include <windows.h>

#include <string>

// The program's own help viewer: a small window showing one topic of the help file, with a
// list to switch topics. It stays open beside the wizard; a second call switches its topic.
// Esc or "Schließen" closes it; Tab moves between text, topic list and button.

// The help file beside the program.
std::wstring ProgramHelpFile();

// Opens the topic. A missing or unreadable file or an unknown topic gives one German message
// box instead. owner: the window asking for help (its top-level owner owns the help window).
void ShowHelpTopic(HWND owner, const std::wstring& helpFile, const std::wstring& topic);

// The open help window, or null.
HWND HelpWindowHandle();

// Child control identifiers, for tests.
enum HelpControlId { kHelpTitleId = 100, kHelpTextId = 101, kHelpTopicLabelId = 102, kHelpTopicListId = 103 };
