#!/usr/bin/env bash
# Installs what building, running and testing Zeigerwerk needs (Debian 12, as root).
set -euo pipefail

packages=(
  cmake make g++ googletest zlib1g-dev python3
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine wine32:i386 wine64 fonts-wine
  xvfb xauth x11-utils x11-xserver-utils xdotool imagemagick
  liblnk-utils procps unzip zip curl openssl clang libclang-rt-14-dev passwd util-linux
)

# The Windows tests run as a plain account (scripts/wine_env.sh), created once with Debian's tools.
test_user=${ZW_TEST_USER:-zeigerwerk-test}
create_test_user() {
  [ "$(id -u)" -eq 0 ] || return 0
  id -u "$test_user" >/dev/null 2>&1 && return 0
  # Tests started side by side may both get here: the account existing afterwards is what counts.
  useradd --create-home --user-group --shell /usr/sbin/nologin "$test_user" 2>/dev/null || id -u "$test_user" >/dev/null
}

# A machine installed by Debian's installer names localhost in /etc/hosts; a bare root made by
# debootstrap does not, and the HTTP tests resolve that name.
name_localhost() {
  [ "$(id -u)" -eq 0 ] || return 0
  grep -qsw localhost /etc/hosts || printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' >>/etc/hosts
}
name_localhost

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then create_test_user; exit 0; fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages need root: run as root or install them: ${missing[*]}" >&2
  exit 1
fi
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
create_test_user
