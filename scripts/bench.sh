#!/usr/bin/env bash
# Times this package directory reader against libzip on generated packages (native build).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT=${BENCH_DIR:-$ROOT/build-bench}
dpkg-query -W -f='${Status}' libzip-dev 2>/dev/null | grep -q "install ok installed" ||
    { apt-get update -qq >/dev/null; DEBIAN_FRONTEND=noninteractive apt-get install -y -qq libzip-dev >/dev/null; }
mkdir -p "$OUT"
g++ -std=c++20 -O2 -I"$ROOT/src" -I"$ROOT/sim" "$ROOT/tools/bench/package_directory_bench.cpp" \
    "$ROOT/src/delivery/package_directory.cpp" "$ROOT/sim/zip_writer.cpp" -lzip -o "$OUT/bench"
"$OUT/bench"
