#!/usr/bin/env bash
# Fuzzes the package directory reader natively with libFuzzer, ASan and UBSan.
# Usage: scripts/fuzz.sh [seconds]   (default 60)
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT=${FUZZ_DIR:-$ROOT/build-fuzz}
SECONDS_TO_RUN=${1:-60}
dpkg-query -W -f='${Status}' clang 2>/dev/null | grep -q "install ok installed" ||
    { apt-get update -qq >/dev/null; DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang >/dev/null; }
mkdir -p "$OUT/corpus" "$OUT/seeds" "$OUT/findings"
g++ -std=c++20 -O1 -I"$ROOT/sim" "$ROOT/tools/fuzz/make_seeds.cpp" "$ROOT/sim/zip_writer.cpp" -o "$OUT/make_seeds"
"$OUT/make_seeds" "$OUT/seeds"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$ROOT/src" \
    "$ROOT/tools/fuzz/package_directory_fuzzer.cpp" "$ROOT/src/delivery/package_directory.cpp" -o "$OUT/fuzzer"
cd "$OUT/findings"
"$OUT/fuzzer" -max_total_time="$SECONDS_TO_RUN" -print_final_stats=1 "$OUT/corpus" "$OUT/seeds" 2>&1 |
    tee "$OUT/fuzz.log" | grep -E "stat::number_of_executed_units|stat::peak_rss|ERROR|SUMMARY|Done" || true
ls "$OUT/findings" | grep -E "^(crash|leak|timeout|oom)-" && { echo "findings in $OUT/findings"; exit 1; }
echo "no findings"
