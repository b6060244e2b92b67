#!/usr/bin/env bash
# Turns a built program into a folder to publish on the update server:
#   Updates.ini, Updates.ini.sig, Updates/<archive>, Updates/<archive>.sig
# The archive holds the 32-bit program, the 64-bit one (--program64), the help file (and any --file
# given) and an Update.bat that replaces them in the program's folder after the program has ended:
# each file is copied to a new name first and put in place only when that copy is whole, so a batch
# that stops halfway leaves a working program; a file still in use is waited for, and when the wait
# is over the old program stays and its next start says so. The list names the archive's size and
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
# first as it stands, then the program's folder twice, then the temporary folder), after them lines
# with the temporary folder ("%%" is one percent sign). Folder names appear only where the program
# writes them in, never in a variable, so that no interpreter expands a "%" in them again. The
# program sets ZW_TRIES (seconds to wait for a file still in use) and reports ZW_BUSY, the file that
# stopped the update. First every new file is copied beside its old one as NAME.neu and checked by
# its size; a folder of that name in the way, or a copy that fails, ends the update before anything
# is replaced. Then each copy is moved over its file, retried once a second while the file is in
# use. When the time is up, the copies not yet in place are deleted.
def group(first, name):
    return [first, '@cd /d "%s"', f'@if exist "%s{name}.neu\\*" set ZW_BUSY={name}.neu', f'@attrib -r "{name}" >nul 2>&1 & if not exist "{name}.neu\\*" del /f /q "{name}.neu" >nul 2>&1']

def stage(name):
    return [f'@if not defined ZW_BUSY copy /y "%s{name}" "{name}.neu" >nul 2>&1',
            '@set ZW_SIZE=', '@set ZW_COPY=',
            f'@for %%%%a in ("%s{name}") do @set ZW_SIZE=%%%%~za',
            f'@for %%%%a in ("{name}.neu") do @set ZW_COPY=%%%%~za',
            '@if not defined ZW_BUSY if not "%%ZW_SIZE%%"=="%%ZW_COPY%%" set ZW_BUSY=' + name + '.neu']

TAIL = r"""
@if defined ZW_BUSY goto failed
@for %%f in (%ZW_FILES%) do @call :replace %%f
@if defined ZW_BUSY goto failed
@goto done
:replace
@if defined ZW_BUSY goto :eof
@move /y "%~1.neu" "%~1" >nul 2>&1
@if not exist "%~1.neu" goto :eof
@if %ZW_TRIES% leq 0 goto inuse
@set /a ZW_TRIES-=1
@ping -n 2 127.0.0.1 >nul
@goto replace
:inuse
@set ZW_BUSY=%~1
@goto :eof
:failed
@for %%f in (%ZW_FILES%) do @call :unstage %%f
@goto done
:unstage
@if exist "%~1.neu\*" goto :eof
@if exist "%~1.neu" del /f /q "%~1.neu" >nul 2>&1
@goto :eof
:done
""".strip("\n").replace("%", "%%").split("\n")

names = [os.path.basename(p) for p in [program] + extra]
for name in names:
    # The batch handles names as plain words.
    if not re.fullmatch(r"[A-Za-z0-9._-]+", name):
        sys.exit(f"file name must be plain letters, digits, '.', '_' or '-': {name}")
lines = []
for i, name in enumerate(names):
    first = f"@set ZW_FILES={name}" if i == 0 else f"@set ZW_FILES=%ZW_FILES% {name}"
    lines += group(first, name)
lines += [" @if not defined ZW_TRIES set ZW_TRIES=60"]
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
