# Sourced by the black-box tests: waiting for windows and typing into them. The caller sets $work
# and may define link_fields (what a failure prints besides the screenshot).
fail() {
  echo "FAILED: $*" >&2
  if declare -F link_fields >/dev/null; then link_fields >&2; fi
  import -window root "$work/$(basename "$0" .sh)-failure.png" 2>/dev/null || true
  exit 1
}

# Waits (at most about a minute) until the command succeeds.
wait_until() {  # description, command...
  local what=$1; shift
  for _ in $(seq 300); do
    "$@" && return 0
    sleep 0.2
  done
  fail "$what"
}
window_shown() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
window_gone() { ! window_shown "$1"; }
window_focused() { xdotool getwindowfocus getwindowname 2>/dev/null | grep -qiE -- "$1"; }
# A window takes keys once the screen gave it the keyboard, which may come a moment after it
# appears: a key sent before then goes to the window that had the keyboard and is lost.
wait_for_window() {
  wait_until "no window named '$1'" window_shown "$1"
  wait_until "window '$1' never got the keyboard" window_focused "$1"
}
wait_gone() { wait_until "window '$1' did not close" window_gone "$1"; }
key() { xdotool key "$@"; }
type_text() { xdotool type "$1"; }

# The virtual screen's keymap has no umlauts: xdotool then maps one onto a spare key for each
# keystroke and back, and on a loaded machine Wine sometimes reads the key after the mapping went
# back and drops the letter. Mapped once, the letters are typed like any other.
map_umlauts() {
  command -v xmodmap >/dev/null || fail "xmodmap is missing: run scripts/setup.sh"
  local keycodes=(93 97 103 120) keysyms=("adiaeresis Adiaeresis" "odiaeresis Odiaeresis" "udiaeresis Udiaeresis" "ssharp")
  local i
  for i in "${!keycodes[@]}"; do xmodmap -e "keycode ${keycodes[$i]} = ${keysyms[$i]}"; done
  local map; map=$(xmodmap -pke)
  for i in "${!keycodes[@]}"; do
    grep -q "^keycode *${keycodes[$i]} = ${keysyms[$i]}" <<<"$map" || fail "keycode ${keycodes[$i]} is not ${keysyms[$i]}"
  done
}

# The program runs in the prefix's own virtual desktop (named once here), so that the script can
# wait for its end and check how it ended.
use_desktop() {  # name
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$1" /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$1" /d 1024x768 /f </dev/null >/dev/null 2>&1
}
start_program() { wine "$@" </dev/null >/dev/null 2>&1 & program_pid=$!; }
# The program ended on its own, within a minute, and without a failure status.
program_ended() {
  wait_until "the program did not end" eval '! kill -0 "$program_pid" 2>/dev/null'
  local status=0
  wait "$program_pid" || status=$?
  [ "$status" -eq 0 ] || fail "the program ended with status $status"
}
