# Shared by the scripts: packages, build folder, the build's own headless Wine prefix.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD:-$ROOT/build}
PACKAGES=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 libwine-dev cmake googletest xvfb xauth imagemagick)

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq >/dev/null
        apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
}

build_project() {
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$BUILD.configure.log" 2>&1 || { cat "$BUILD.configure.log"; exit 1; }
    cmake --build "$BUILD" -j"$(nproc)" >"$BUILD.build.log" 2>&1 || { tail -60 "$BUILD.build.log"; exit 1; }
}

export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG=-all
export WINEARCH=win64

# A fresh prefix when missing; one wineserver kept up for the whole run and stopped on exit.
start_wine() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        WINEDLLOVERRIDES="mscoree,mshtml=d" wineboot -i >/dev/null 2>&1
        # A crashing test ends at once instead of waiting in the debugger.
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d "" /f >/dev/null 2>&1
        # Message boxes must be real windows the simulator can find and answer: Wine's null
        # graphics driver gives dialogs without a display. It is read when Wine's desktop
        # process starts, so it is set before anything else runs in the prefix.
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        wineserver -w
    fi
    wineserver -p >/dev/null 2>&1 || true  # already up is fine
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
}

# A Unix path as the Windows programs in the prefix see it.
winepath_of() { echo "Z:$(realpath -m "$1" | tr '/' '\\')"; }
