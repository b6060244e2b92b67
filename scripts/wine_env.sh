# Sourced by every script that runs Wine, after it has set WINEPREFIX: one set of Wine settings.
# The prefix is 32-bit unless ZW_WINEARCH=win64 asks for a 64-bit one, where 32-bit programs run
# as on 64-bit Windows. A prefix made without WINEARCH would silently become 64-bit.
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"
# Wine names files in the Unix locale's charset: umlauts and CJK need a UTF-8 one.
export LC_ALL=C.UTF-8
export WINEARCH=${ZW_WINEARCH:-win32} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The prefix's Desktop and Documents live beside the prefix, not in the real home.
export HOME="$WINEPREFIX-home"
# The Wine server cannot start in a prefix folder that does not exist yet.
mkdir -p "$WINEPREFIX" "$HOME/Desktop"
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
