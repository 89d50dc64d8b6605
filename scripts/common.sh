# Shared by the scripts: packages, build folder, the build's own headless Wine prefix.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD:-$ROOT/build}
BUILD_X86=${BUILD_X86:-$ROOT/build-x86}
PACKAGES=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools wine64 libwine-dev cmake googletest
          imagemagick nsis)

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

# configure_and_build FOLDER TOOLCHAIN [cmake options...] [-- targets...]
configure_and_build() {
    local folder=$1 toolchain=$2 options=() targets=()
    shift 2
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
    [ $# -gt 0 ] && shift && targets=(--target "$@")
    mkdir -p "$folder"
    cmake -S "$ROOT" -B "$folder" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          "${options[@]}" >"$folder.configure.log" 2>&1 || { cat "$folder.configure.log"; exit 1; }
    cmake --build "$folder" -j"$(nproc)" "${targets[@]}" >"$folder.build.log" 2>&1 || { tail -60 "$folder.build.log"; exit 1; }
}

# The 64-bit build (everything).
build_project() { configure_and_build "$BUILD" mingw-w64-x86_64.cmake; }

# Both architectures and the installer: the 32-bit build first, then the 64-bit one that checks
# the 32-bit DLL and packs both.
build_all() {
    configure_and_build "$BUILD_X86" mingw-w64-i686.cmake
    configure_and_build "$BUILD" mingw-w64-x86_64.cmake -DX86_DLL="$BUILD_X86/bin/VRZProjectAddin.dll" \
        -DINSTALLER="$BUILD/VRZProjectAddinSetup.exe"
    bash "$ROOT/scripts/installer.sh" "$BUILD" "$BUILD_X86" >/dev/null
}

# The 64-bit loader by its own path (plain "wine" starts 32-bit builtins when 32-bit Wine is there).
WINE64=/usr/lib/wine/wine64
[ -x "$WINE64" ] || WINE64=wine
export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG=-all
export WINEARCH=win64

# A fresh prefix when missing; one wineserver kept up for the whole run and stopped on exit.
start_wine() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        WINEDLLOVERRIDES="mscoree,mshtml=d" "$WINE64" wineboot -i >/dev/null 2>&1
        # A crashing test ends at once instead of waiting in the debugger.
        "$WINE64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d "" /f >/dev/null 2>&1
        # Message boxes must be real windows the simulator can find and answer: Wine's null
        # graphics driver gives dialogs without a display. It is read when Wine's desktop
        # process starts, so it is set before anything else runs in the prefix.
        "$WINE64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        wineserver -w
    fi
    wineserver -p >/dev/null 2>&1 || true  # already up is fine
    "$WINE64" cmd /c exit </dev/null >/dev/null 2>&1 || true
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
}

# A Unix path as the Windows programs in the prefix see it.
winepath_of() { echo "Z:$(realpath -m "$1" | tr '/' '\\')"; }

# 32-bit Wine (i386 multiarch) for the x86 run; it upgrades system packages, so it comes last.
install_wine32() {
    dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed" && return
    echo "Installing 32-bit Wine (wine32:i386)"
    dpkg --add-architecture i386
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq >/dev/null
    apt-get install -y -qq wine32:i386 >/dev/null
}

# The x86 run: its own 32-bit prefix and wineserver, after the x64 run has ended.
run_x86_tests() {
    (
        export WINEPREFIX="$BUILD_X86/wineprefix" WINEARCH=win32
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            WINEDLLOVERRIDES="mscoree,mshtml=d" wine wineboot -i >/dev/null 2>&1
            wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d "" /f >/dev/null 2>&1
            wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
            wineserver -w
        fi
        wineserver -p >/dev/null 2>&1 || true
        wine cmd /c exit </dev/null >/dev/null 2>&1 || true
        trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
        cd "$BUILD_X86"
        ctest --output-on-failure -j"$(nproc)" --timeout 600
    )
}
