# Sourced by the scripts that build or run the Windows programs. Some hosts switch the kernel's
# 32-bit support off: a 32-bit program then stops with "Exec format error", Wine's 32-bit loader
# among them, so only the 64-bit program and 64-bit prefixes can run there.
zw_runs_32bit() { [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; }
