#!/usr/bin/env python3
"""Writes the C++ header holding the update key: the X and Y of a P-256 public key in PEM."""
import base64
import sys

# SubjectPublicKeyInfo of an uncompressed P-256 point, up to the point itself.
SPKI_P256 = bytes.fromhex("3059301306072a8648ce3d020106082a8648ce3d030107034200")


def main(pem_path, header_path):
    with open(pem_path, encoding="ascii") as f:
        lines = [line.strip() for line in f if line.strip() and not line.startswith("-----")]
    der = base64.b64decode("".join(lines))
    if len(der) != 91 or not der.startswith(SPKI_P256) or der[26] != 4:
        sys.exit(f"{pem_path}: not an uncompressed P-256 public key as 'openssl ec -pubout' writes it")
    point = der[27:]
    body = ", ".join(f"0x{b:02x}" for b in point)
    with open(header_path, "w", encoding="ascii") as f:
        f.write("// Generated from %s; do not edit.\n#pragma once\n" % pem_path.replace("\\", "/"))
        f.write("inline constexpr unsigned char kUpdateKeyXY[64] = {%s};\n" % body)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
