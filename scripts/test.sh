#!/usr/bin/env bash
# Builds everything and runs every test under Wine.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_packages
mkdir -p "$BUILD"
build_project
start_wine
cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" --timeout 600
