#pragma once

// Every form of this thread whose font is 8 points gets the system's message font face (its
// controls that share the form's font too). A form takes part by answering WM_GETFONT.
void UseSystemMessageFont();
