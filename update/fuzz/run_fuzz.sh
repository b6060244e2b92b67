#!/usr/bin/env bash
# Builds one libFuzzer target with clang and runs it for a while: run_fuzz.sh NAME SOURCE_DIR WORK_DIR SECONDS
# (NAME is http_response or zip_reader). Fails on a crash, a leak, a sanitizer report or a missing clang.
set -euo pipefail
name=$1 src=$2 work=$3/$1 seconds=$4
command -v clang++ >/dev/null || { echo "clang++ is missing: install the Debian package clang" >&2; exit 1; }
mkdir -p "$work/corpus"
common=("$src/update/file_io.cpp" "$src/platform/utf.cpp")
case $name in
  http_response)
    sources=("$src/update/http_response.cpp" "$src/update/http_client.cpp" "$src/update/socket_client.cpp"
             "$src/update/bsd_socket.cpp")
    printf '\x03HTTP/1.0 302 Found\r\nSet-Cookie: a=b\r\nLocation: /x\r\nContent-Length: 12\r\n\r\nbody' > "$work/corpus/seed1"
    printf '\x05http://h:81/a/b' > "$work/corpus/seed2" ;;
  zip_reader)
    sources=("$src/update/zip_reader.cpp" "$src/update/zip_extract.cpp")
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
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$src" "$src/update/fuzz/${name}_fuzz.cpp" "${sources[@]}" "${common[@]}" -lz -o "$work/fuzzer"
cd "$work"
./fuzzer -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 corpus 2>&1 | tail -n 25
