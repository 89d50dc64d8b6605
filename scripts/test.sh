#!/usr/bin/env bash
# Builds everything (the 64-bit and 32-bit add-in, the installer) and runs every test under Wine:
# the whole suite on x64, then again on x86 in a 32-bit prefix of its own.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages
mkdir -p "$BUILD"
build_all
start_wine
(cd "$BUILD" && ctest --output-on-failure -j"$(nproc)" --timeout 600)
wineserver -k >/dev/null 2>&1 || true
install_wine32
run_x86_tests
