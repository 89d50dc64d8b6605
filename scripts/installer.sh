#!/usr/bin/env bash
# Builds the Windows installer (NSIS) from the x64 and x86 builds: build/VRZProjectAddinSetup.exe.
# Usage: scripts/installer.sh [X64_BUILD] [X86_BUILD]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
X64=${1:-$ROOT/build}
X86=${2:-$ROOT/build-x86}
VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$X64/CMakeCache.txt")
makensis -V2 -DVERSION="$VERSION" -DX64_DLL="$X64/bin/VRZProjectAddin.dll" -DX86_DLL="$X86/bin/VRZProjectAddin.dll" \
    -DOUTFILE="$X64/VRZProjectAddinSetup.exe" "$ROOT/installer/VRZProjectAddin.nsi"
echo "$X64/VRZProjectAddinSetup.exe"
