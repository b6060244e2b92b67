#include "platform/startup_trace.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
struct Note {
    const char* phase;
    double milliseconds;
};

std::vector<Note>& Notes() {
    static std::vector<Note> notes;
    return notes;
}

bool Tracing() {
    static const bool tracing = GetEnvironmentVariableW(L"ZW_STARTUP_TRACE", nullptr, 0) > 0;
    return tracing;
}

double SinceProcessCreation() {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}
}  // namespace

void NoteStartupPhase(const char* phase) {
    if (Tracing()) Notes().push_back({phase, SinceProcessCreation()});
}

void WriteStartupTrace() {
    if (!Tracing() || Notes().empty()) return;
    wchar_t path[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ZW_STARTUP_TRACE", path, MAX_PATH);
    if (FILE* file = _wfopen(path, L"w")) {
        for (const Note& note : Notes()) std::fprintf(file, "%s %.2f\n", note.phase, note.milliseconds);
        std::fclose(file);
    }
    Notes().clear();
}
