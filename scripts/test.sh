#!/usr/bin/env bash
# Builds everything (the 64-bit and 32-bit add-in, the installer) and runs every test under Wine.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages
mkdir -p "$BUILD"
build_all
start_wine
cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" --timeout 600
