#!/usr/bin/env bash
# The main job: builds the add-in, installs it in the build's own Wine prefix as a user's
# machine would have it (registered with regsvr32, the writer's settings and printers in
# place), and runs the host simulator's tour. Usage: scripts/demo.sh [scenario]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
SCENARIO=${1:-tour}
install_packages
mkdir -p "$BUILD"
build_project
start_wine
RUN="$BUILD/wine-run"
BIN="$BUILD/bin"
OUT="$BUILD/demo"
mkdir -p "$OUT"

"$RUN" regsvr32 /s "$BIN/VRZProjectAddin.dll"
"$RUN" regsvr32 /s "$BIN/EmptyAddin.dll"  # the baseline of the connection-time figure
"$RUN" "$BIN/VRZHostSim.exe" --setup-writer
status=0
WINEDLLOVERRIDES="mapi32=n,b" "$RUN" "$BIN/VRZHostSim.exe" --scenario "$SCENARIO" --out "$(winepath_of "$OUT")" \
    --json "$(winepath_of "$OUT/$SCENARIO.json")" || status=$?
"$RUN" regsvr32 /u /s "$BIN/VRZProjectAddin.dll"
"$RUN" regsvr32 /u /s "$BIN/EmptyAddin.dll"
for bmp in "$OUT"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" -scale 200% "${bmp%.bmp}.png" && rm "$bmp" && echo "picture: ${bmp%.bmp}.png"
done
echo "transcript as JSON: $OUT/$SCENARIO.json"
exit $status
