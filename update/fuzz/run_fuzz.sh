#!/usr/bin/env bash
# Runs one built libFuzzer target for a while: run_fuzz.sh FUZZER NAME WORK_DIR SECONDS
# (NAME is http_response or zip_reader; it picks the seed corpus). Fails on a crash, a leak or a
# sanitizer report.
set -euo pipefail
fuzzer=$1 name=$2 work=$3/$2 seconds=$4
mkdir -p "$work/corpus"
case $name in
  http_response)
    printf '\x03HTTP/1.0 302 Found\r\nSet-Cookie: a=b\r\nLocation: /x\r\nContent-Length: 12\r\n\r\nbody' > "$work/corpus/seed1"
    printf '\x05http://h:81/a/b' > "$work/corpus/seed2" ;;
  zip_reader)
    python3 - "$work/corpus" <<'PY'
import io, sys, zipfile
for i, method in enumerate([zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED]):
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", method) as z:
        z.writestr("dir/a.txt", "hello " * 20)
        z.writestr("Gr\u00f6\u00dfe.bat", "@echo x\r\n")
    open(f"{sys.argv[1]}/seed{i}", "wb").write(buf.getvalue())
PY
    ;;
  *) echo "unknown target $name" >&2; exit 1 ;;
esac
cd "$work"
"$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 corpus 2>&1 | tail -n 25
