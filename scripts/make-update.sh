#!/usr/bin/env bash
# Turns a built program into a folder to publish on the update server:
#   Updates.ini, Updates.ini.sig, Updates/<archive>, Updates/<archive>.sig
# The archive holds the 32-bit program, the 64-bit one (--program64), the help file (and any --file
# given) and an Update.bat that replaces them in the program's folder after the program has ended:
# all files are copied beside the old ones and checked, then all old ones renamed aside, and only
# then the copies put in place; on any failure the old files are put back, so the folder holds one
# whole version. A file still in use is waited for; when the wait is over the old program stays and
# its next start says so. The list names the archive's size and
# SHA-256, so that no other archive (an older signed one included) is taken for it. Both server files are
# signed with the maker's private key: ECDSA P-256 over SHA-256, stored as the 64 bytes r then s.
#
# make-update.sh --key KEY.pem --program zeigerwerk.exe [--program64 zeigerwerk64.exe] --out FOLDER
#                [--help Pfeilbau.hlp] [--file EXTRA]... [--date DD.MM.YYYY]
#                [--news "DD.MM.YYYY: text"]... [--archive NAME.zip] [--section Zeigerwerk]
# make-update.sh --key KEY.pem --sign FILE    signs one file (FILE.sig), e.g. an edited Updates.ini
set -euo pipefail

key= program= program64= out= help= date= archive=Pfeilbau.zip section=Zeigerwerk only=
files=() news=()
while [ $# -gt 0 ]; do
  case $1 in
    --key) key=$2; shift 2 ;;
    --program) program=$2; shift 2 ;;
    --program64) program64=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --help) help=$2; shift 2 ;;
    --file) files+=("$2"); shift 2 ;;
    --date) date=$2; shift 2 ;;
    --news) news+=("$2"); shift 2 ;;
    --archive) archive=$2; shift 2 ;;
    --section) section=$2; shift 2 ;;
    --sign) only=$2; shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
# openssl writes the signature as DER; the program reads r and s as 32 bytes each.
sign() {
  local file=$1 der
  der=$(mktemp)
  openssl dgst -sha256 -sign "$key" -out "$der" "$file"
  python3 - "$der" "$file.sig" <<'EOF'
import sys
der = open(sys.argv[1], "rb").read()
def integer(at):
    assert der[at] == 2
    length = der[at + 1]
    value = der[at + 2:at + 2 + length].lstrip(b"\0")
    assert len(value) <= 32
    return value.rjust(32, b"\0"), at + 2 + length
assert der[0] == 0x30
r, at = integer(2)
s, _ = integer(at)
open(sys.argv[2], "wb").write(r + s)
EOF
  rm -f "$der"
}
if [ -n "$only" ]; then
  [ -f "$key" ] && [ -f "$only" ] || { echo "need --key and an existing file to sign" >&2; exit 1; }
  sign "$only"
  exit 0
fi
[ -n "$key" ] && [ -n "$program" ] && [ -n "$out" ] ||
  { echo "usage: $0 --key KEY.pem --program zeigerwerk.exe --out FOLDER [options]" >&2; exit 2; }
[ -f "$key" ] || { echo "no private key at $key" >&2; exit 1; }
[ -f "$program" ] || { echo "no program at $program" >&2; exit 1; }
if [ -z "$help" ] && [ -f "$(dirname "$program")/Pfeilbau.hlp" ]; then help=$(dirname "$program")/Pfeilbau.hlp; fi
[ -n "$help" ] && files=("$help" "${files[@]}")
if [ -n "$program64" ]; then
  [ -f "$program64" ] || { echo "no 64-bit program at $program64" >&2; exit 1; }
  files=("$program64" "${files[@]}")
fi
[ -n "$date" ] || date=$(date +%d.%m.%Y)
[[ $archive =~ ^[A-Za-z0-9._-]+$ ]] || { echo "archive name must be a plain file name: $archive" >&2; exit 1; }

mkdir -p "$out/Updates"
python3 - "$out" "$section" "$date" "$archive" "$program" "${files[@]}" -- "${news[@]}" <<'EOF'
import hashlib, os, re, sys, zipfile
args = sys.argv[1:]
split = args.index("--")
out, section, date, archive, program, *extra = args[:split]
news = args[split + 1:]

# The batch the program fills in and runs after it has ended: groups of four lines per file (the
# first as it stands, then the program's folder twice, then the run folder), after them lines with
# the run folder ("%%" is one percent sign). Folder names appear only where the program writes them
# in, never in a variable: some interpreters expand a "%" in a variable's value again. The
# program's own first lines set ZW_SYSTEM (the system's folder, from which alone programs start), ZW_TRIES
# (seconds to wait for a file still in use), ZW_WHY and ZW_KEPT, and its last lines report ZW_BUSY,
# the file that stopped the update. All or nothing: every new file is copied beside its old one as
# NAME.neu and compared with its source; then every old file is renamed to NAME.alt, retried once a
# second while it is in use; only when all are aside do the copies take their names. On any failure
# every NAME.alt is put back and every copy removed, so that the folder holds the whole old version
# or the whole new one. Subroutines work in the program's folder and are given plain file names
# only: "call" expands its line twice.
# Outcomes are read from "errorlevel": some interpreters run "||" after a built-in that succeeded.
def group(first, name):
    return [first, '@cd /d "%s"', f'@if not exist "%s{name}" set ZW_NEW=%%ZW_NEW%% {name}',
            f'@if not exist "%s{name}" if not defined ZW_BUSY (set ZW_WHY=copy& set ZW_BUSY={name})']

def stage(name):
    return [f'@if not defined ZW_BUSY copy /y /b "%s{name}" "{name}.neu" >nul 2>&1',
            f'@if not defined ZW_BUSY if errorlevel 1 (set ZW_WHY=copy& set ZW_BUSY={name}.neu)',
            '@set ZW_SIZE=', '@set ZW_COPY=',
            f'@for %%%%a in ("%s{name}") do @set ZW_SIZE=%%%%~za',
            f'@for %%%%a in ("{name}.neu") do @set ZW_COPY=%%%%~za',
            f'@if not defined ZW_BUSY if not "%%ZW_SIZE%%"=="%%ZW_COPY%%" (set ZW_WHY=copy& set ZW_BUSY={name}.neu)',
            f'@if not defined ZW_BUSY "%%ZW_SYSTEM%%fc.exe" /b "%s{name}" "{name}.neu" >nul 2>&1',
            f'@if not defined ZW_BUSY if errorlevel 1 (set ZW_WHY=copy& set ZW_BUSY={name}.neu)']

def tail(text):
    return text.strip("\n").replace("%", "%%").split("\n")

TAIL_START = tail(r"""
 @if not defined ZW_TRIES set ZW_TRIES=60
@for %%f in (%ZW_FILES%) do @call :zw_clear %%f
""")
TAIL = tail(r"""
@if not defined ZW_BUSY for %%f in (%ZW_FILES%) do @call :zw_aside %%f
@if not defined ZW_BUSY for %%f in (%ZW_FILES%) do @call :zw_place %%f
@if defined ZW_BUSY goto zw_undo
@for %%f in (%ZW_FILES%) do @if exist "%%f.alt" if not exist "%%f.alt\*" del /f /q "%%f.alt" >nul 2>&1
@goto zw_done
:zw_clear
@if defined ZW_BUSY goto :eof
@if exist "%~1.neu\*" (set ZW_WHY=copy& set ZW_BUSY=%~1.neu& goto :eof)
@if exist "%~1.alt\*" (set ZW_WHY=copy& set ZW_BUSY=%~1.alt& goto :eof)
@if exist "%~1.neu" "%ZW_SYSTEM%attrib.exe" -r "%~1.neu" >nul 2>&1
@if exist "%~1.alt" "%ZW_SYSTEM%attrib.exe" -r "%~1.alt" >nul 2>&1
@goto :eof
:zw_aside
@if defined ZW_BUSY goto :eof
@if not exist "%~1" goto :eof
@move /y "%~1" "%~1.alt" >nul 2>&1
@if not exist "%~1" goto :eof
@if %ZW_TRIES% leq 0 (set ZW_WHY=inuse& set ZW_BUSY=%~1& goto :eof)
@set /a ZW_TRIES-=1
@"%ZW_SYSTEM%ping.exe" -n 2 127.0.0.1 >nul
@goto zw_aside
:zw_place
@if defined ZW_BUSY goto :eof
@move /y "%~1.neu" "%~1" >nul 2>&1
@if exist "%~1.neu" (set ZW_WHY=inuse& set ZW_BUSY=%~1)
@goto :eof
:zw_undo
@for %%f in (%ZW_FILES%) do @call :zw_restore %%f
@goto zw_done
:zw_restore
@if exist "%~1.neu" if not exist "%~1.neu\*" del /f /q "%~1.neu" >nul 2>&1
@if exist "%~1.alt\*" goto :eof
@if exist "%~1.alt" goto zw_putback
@for %%n in (%ZW_NEW%) do @if /i "%%n"=="%~1" if exist "%~1" del /f /q "%~1" >nul 2>&1
@goto :eof
:zw_putback
@if exist "%~1" del /f /q "%~1" >nul 2>&1
@move /y "%~1.alt" "%~1" >nul 2>&1
@if exist "%~1.alt" set ZW_KEPT=no
@goto :eof
:zw_done
""")

names = [os.path.basename(p) for p in [program] + extra]
for name in names:
    # The batch handles names as plain words.
    if not re.fullmatch(r"[A-Za-z0-9._-]+", name):
        sys.exit(f"file name must be plain letters, digits, '.', '_' or '-': {name}")
lines = []
for i, name in enumerate(names):
    first = f"@set ZW_FILES={name}" if i == 0 else f"@set ZW_FILES=%ZW_FILES% {name}"
    lines += group(first, name)
lines += TAIL_START
for name in names:
    lines += stage(name)
lines += TAIL
template = ("\r\n".join(lines) + "\r\n").encode("ascii")

with zipfile.ZipFile(os.path.join(out, "Updates", archive), "w", zipfile.ZIP_DEFLATED) as z:
    for path, name in zip([program] + extra, names):
        z.write(path, name)
    z.writestr("Update.bat", template)

def quoted(entry):
    return '"' + entry.replace('"', '""') + '"'

ini = f"[{section}]\r\nDate={date}\r\n"
if news:
    ini += "News=" + ",".join(quoted(n) for n in news) + "\r\n"
ini += f"File={archive}\r\n"
archive_bytes = open(os.path.join(out, "Updates", archive), "rb").read()
ini += f"Size={len(archive_bytes)}\r\nSHA256={hashlib.sha256(archive_bytes).hexdigest()}\r\n"
with open(os.path.join(out, "Updates.ini"), "wb") as f:
    f.write(ini.encode("cp1252"))
EOF

sign "$out/Updates.ini"
sign "$out/Updates/$archive"
echo "update for $section dated $date in $out: Updates.ini, Updates/$archive and their signatures"
