#!/usr/bin/env bash
# The installer under Wine: a silent install registers the add-in where the host finds it, the
# simulator loads it from there, and a silent uninstall leaves no key and no file behind.
# Usage: installer_test.sh WINE_RUN BIN_DIR SETUP_EXE
set -u
RUN=$1 BIN=$2 SETUP=$3
failures=0
check() {
    local what=$1; shift
    if "$@" >/dev/null 2>&1; then echo "ok      $what"; else echo "FAILED  $what"; failures=$((failures + 1)); fi
}
exists() { "$RUN" reg query "$@" >/dev/null 2>&1; }
PREFIX=${WINEPREFIX:-$(dirname "$RUN")/wineprefix}
FOLDER="$PREFIX/drive_c/Program Files/Nimbrova"
ADDIN='HKLM\Software\Microsoft\Office\MS Project\Addins\VRZProjectAddin2003.ProjectAddinObj'
UNINSTALL='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VRZProjectAddin'
SCENARIO=$(mktemp --suffix=.txt)
printf 'start\nexpect addin-commands 5\nstop\nexpect module-unloaded\n' >"$SCENARIO"

"$RUN" regsvr32 /u /s "$BIN/VRZProjectAddin.dll" >/dev/null 2>&1
check "silent install" "$RUN" "$SETUP" /S
check "the 64-bit add-in installed" test -f "$FOLDER/VRZ Project Addin/x64/VRZProjectAddin.dll"
check "registered for the host" exists "$ADDIN" /v LoadBehavior
check "listed for removal" exists "$UNINSTALL" /v UninstallString
"$RUN" "$BIN/VRZHostSim.exe" --setup-writer >/dev/null 2>&1
check "the simulator loads the installed add-in" "$RUN" "$BIN/VRZHostSim.exe" --file "$(echo "Z:$SCENARIO" | tr '/' '\\')"
check "silent uninstall" "$RUN" "$FOLDER/VRZ Project Addin/uninstall.exe" /S
for _ in $(seq 1 100); do [ -e "$FOLDER" ] || break; sleep 0.2; done  # the uninstaller runs from a copy
check "no file left" test ! -e "$FOLDER"
check "no add-in key left" bash -c "! '$RUN' reg query '$ADDIN' >/dev/null 2>&1"
check "no class left" bash -c "! '$RUN' reg query 'HKCR\\CLSID\\{8D4F1B27-6C3E-4A95-B2D0-7E1F5A9C3B68}' >/dev/null 2>&1"
check "no removal entry left" bash -c "! '$RUN' reg query '$UNINSTALL' >/dev/null 2>&1"
rm -f "$SCENARIO"
echo "$failures failed"
[ "$failures" -eq 0 ]
