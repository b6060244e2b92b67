#!/usr/bin/env bash
# The program must start on a bare Windows: every library it imports is one that Windows itself
# brings. Wine carries libraries of its own (zlib1.dll among them), so a program that needs one
# of those starts under Wine and fails on Windows; only its import table tells. The libraries only
# the update needs are not imported at all but loaded when first used.
# Arguments: objdump of the cross toolchain, the program.
set -euo pipefail
objdump=$1 program=$2
system=(advapi32 bcrypt comctl32 comdlg32 gdi32 kernel32 msimg32 msvcrt ole32 oleaut32 shell32 shlwapi user32
  uxtheme version ws2_32)
system=" ${system[*]/%/.dll} "
mapfile -t imported < <("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ ${#imported[@]} -gt 0 ] || { echo "no imports read from $program" >&2; exit 1; }
status=0
# Only the update needs these; they are loaded when first used, so a start does not pay for them.
on_first_use=" bcrypt.dll ws2_32.dll "
for library in "${imported[@]}"; do
  [[ $system == *" $library "* ]] || { echo "imports $library, which Windows does not bring" >&2; status=1; }
  [[ $on_first_use != *" $library "* ]] || { echo "imports $library at start, which only the update needs" >&2; status=1; }
done
echo "imports: ${imported[*]}"
exit $status
