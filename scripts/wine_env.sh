# Sourced by every script that runs Wine, after it has set WINEPREFIX: one set of Wine settings,
# and the plain account Wine runs as (folder permissions bind it as they bind a user; root would
# pass every one).
# The prefix is 32-bit unless ZW_WINEARCH=win64 asks for a 64-bit one, where 32-bit programs run
# as on 64-bit Windows. A prefix made without WINEARCH would silently become 64-bit.
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"
# Wine names files in the Unix locale's charset: umlauts and CJK need a UTF-8 one.
export LC_ALL=C.UTF-8
source "$(dirname "${BASH_SOURCE[0]}")/machine.sh"
if ! zw_runs_32bit && [ -x /usr/lib/wine/wine64 ]; then
  # Every "wine", and the tools that start it, goes to the 64-bit loader; prefixes are 64-bit.
  export PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64-only:$PATH" WINELOADER=/usr/lib/wine/wine64
  ZW_WINEARCH=win64
fi
export WINEARCH=${ZW_WINEARCH:-win32} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The prefix's Desktop and Documents live beside the prefix, not in the real home.
export HOME="$WINEPREFIX-home"
# The Wine server cannot start in a prefix folder that does not exist yet.
mkdir -p "$WINEPREFIX" "$HOME/Desktop"
# The plain account (setup.sh creates it).
export ZW_TEST_USER=${ZW_TEST_USER:-zeigerwerk-test}

# Run as root, re-runs the given command as the plain account: the prefix, its home and the given
# folders become the account's, and the screen's key is handed on. Does nothing for a plain user.
run_as_test_user() {  # folders to own -- command...
  [ "$(id -u)" -eq 0 ] || return 0
  id -u "$ZW_TEST_USER" >/dev/null 2>&1 || "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
  local folders=() folder
  while [ "$1" != -- ]; do folders+=("$1"); shift; done
  shift
  # A prefix made by root names root's profile and server folder: what an earlier run as root
  # left is made anew (they are scratch folders of the build).
  if [ -f "$WINEPREFIX/system.reg" ] && [ "$(stat -c %U "$WINEPREFIX/system.reg")" != "$ZW_TEST_USER" ]; then
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX" "$HOME" "${folders[@]}"
  fi
  for folder in "$WINEPREFIX" "$HOME" "$HOME/Desktop" "${folders[@]}"; do
    mkdir -p "$folder"
    chown "$ZW_TEST_USER:" "$folder"
  done
  if [ -n "${XAUTHORITY:-}" ] && [ -f "$XAUTHORITY" ]; then
    # Tests start side by side: each copy is whole before it takes the name.
    install -o "$ZW_TEST_USER" -m 600 "$XAUTHORITY" "$HOME/.Xauthority.$$"
    mv -f "$HOME/.Xauthority.$$" "$HOME/.Xauthority"
    export XAUTHORITY="$HOME/.Xauthority"
  fi
  unset TMPDIR
  exec runuser -u "$ZW_TEST_USER" -- "$@"
}
command -v wine >/dev/null || { echo "wine is not installed: run scripts/setup.sh" >&2; return 1; }

# Creates the prefix when it does not exist yet (about 20 seconds).
ensure_wine_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  if [ "$WINEARCH" = win64 ]; then
    /usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1
  else
    wineboot -i </dev/null >/dev/null 2>&1
  fi
}

# A test's prefix: a crashing program must fail its test, not wait for someone to close Wine's
# crash dialog.
ensure_test_prefix() {
  ensure_wine_prefix
  [ -f "$WINEPREFIX/no-crash-dialog" ] && return 0
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
  touch "$WINEPREFIX/no-crash-dialog"
}
