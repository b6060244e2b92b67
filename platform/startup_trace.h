#pragma once

// Where the time of a start goes: with the environment variable ZW_STARTUP_TRACE naming a file,
// each phase's end is noted (milliseconds since the process was created) and the notes are
// written there once the first window has painted. Without the variable nothing is noted.
void NoteStartupPhase(const char* phase);
void WriteStartupTrace();
