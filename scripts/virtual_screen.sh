# Sourced by the scripts that show windows. start_virtual_screen gives the caller a screen: with
# DISPLAY set it uses that one; otherwise (or with --own) it starts Xvfb on a display number the
# server picks itself among the free ones, and exports DISPLAY. stop_virtual_screen ends a server
# started here; call it from the caller's exit trap.
zw_xvfb_pid=

start_virtual_screen() {
  if [ "${1:-}" = --own ]; then unset DISPLAY; fi
  [ -n "${DISPLAY:-}" ] && return 0
  command -v Xvfb >/dev/null || { echo "no display and no Xvfb: run scripts/setup.sh" >&2; return 1; }
  local dir number=
  dir=$(mktemp -d)
  mkfifo "$dir/display"
  # Xvfb writes the display number once it accepts connections. Without -noreset it would take
  # back the keymap (the umlaut keys) whenever its last client leaves.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/display" >/dev/null 2>&1 &
  zw_xvfb_pid=$!
  read -r -t 30 number <"$dir/display" || true
  rm -rf "$dir"
  if [ -z "$number" ]; then
    echo "Xvfb did not start" >&2
    stop_virtual_screen
    return 1
  fi
  export DISPLAY=:$number
}

stop_virtual_screen() {
  if [ -n "$zw_xvfb_pid" ]; then
    kill "$zw_xvfb_pid" 2>/dev/null || true
    wait "$zw_xvfb_pid" 2>/dev/null || true
    zw_xvfb_pid=
  fi
  return 0
}
