#pragma once
#include <windows.h>

#include <string>

// The program's context-menu verbs and its uninstall entry: written on every start, removed by
// the removal switch. When the machine-wide places (HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE) refuse
// the writes, the same entries go to the current user's own classes and Uninstall key, which the
// shell shows just the same for that user.

// The registry operations registration and removal use; tests put a recorder in between.
class ShellRegistry {
public:
    virtual ~ShellRegistry() = default;
    // Creates the key (with missing parents) and writes a string value; an empty name is the
    // default value. Throws PlatformError.
    virtual void SetString(HKEY root, const std::wstring& key, const std::wstring& name,
                           const std::wstring& value) = 0;
    // Deletes the key with everything below it, in both registry views on 64-bit Windows; false
    // when it existed in neither. Throws PlatformError.
    virtual bool DeleteTree(HKEY root, const std::wstring& key) = 0;
    // Deletes the key in both views where it holds neither keys nor values. Throws PlatformError.
    virtual bool DeleteIfEmpty(HKEY root, const std::wstring& key) = 0;
};

// The real registry; on 64-bit Windows it writes the view the shell reads.
ShellRegistry& SystemShellRegistry();

struct RegistrationOutcome {
    bool verbsPerUser = false;      // the verbs went to HKEY_CURRENT_USER\Software\Classes
    bool uninstallPerUser = false;  // the uninstall entry went to HKEY_CURRENT_USER
    std::wstring problem;           // the system's text when even the per-user writes failed
};

// Registers the fourteen verb keys and the uninstall entry for programPath (the program's full
// path). Never throws: a start without the rights must go on.
RegistrationOutcome RegisterShellIntegration(const std::wstring& programPath,
                                             ShellRegistry& registry = SystemShellRegistry());

// Removes the verbs (machine-wide and per user), the settings (per user and the machine's, with
// their parent key when nothing else is in it) and the uninstall entry.
// Keys that do not exist are skipped; every step is tried. The answer is the system's text of
// the first failure, empty when everything went.
std::wstring RemoveShellIntegration(ShellRegistry& registry = SystemShellRegistry());

// The removal switch: asks "Soll der Zeigerwerk wirklich deinstalliert werden?" and on Yes
// removes everything. The answer is the process's exit code.
int RunUninstall(ShellRegistry& registry = SystemShellRegistry());
