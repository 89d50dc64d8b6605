#!/usr/bin/env bash
# What a built add-in DLL offers Windows: its exports, that it imports only system DLLs, its
# architecture, type library, registry scripts and version information.
# Usage: dll_checks.sh WINE_RUN PE_RESOURCES_EXE DLL OBJDUMP FORMAT TYPELIB_KIND VERSION
set -u
RUN=$1 LISTER=$2 DLL=$3 OBJDUMP=$4 FORMAT=$5 KIND=$6 VERSION=$7
failures=0
check() {
    local what=$1; shift
    if "$@" >/dev/null 2>&1; then echo "ok      $what"; else echo "FAILED  $what"; failures=$((failures + 1)); fi
}
headers=$("$OBJDUMP" -p "$DLL")
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" | grep -o 'Dll[A-Za-z]*' | sort | tr '\n' ' ')
imports=$(grep 'DLL Name:' <<<"$headers" | awk '{print tolower($3)}' | sort | tr '\n' ' ')
resources=$("$RUN" "$LISTER" "$(echo "Z:$(realpath "$DLL")" | tr '/' '\\')" | tr -d '\r')

check "file format $FORMAT" grep -q "file format $FORMAT" <<<"$("$OBJDUMP" -f "$DLL")"
check "exports: $exports" test "$exports" = "DllCanUnloadNow DllGetClassObject DllInstall DllRegisterServer DllUnregisterServer "
for dll in $imports; do
    check "imports the system DLL $dll" grep -qx "$dll" <<<"advapi32.dll
gdi32.dll
kernel32.dll
msvcrt.dll
ole32.dll
oleaut32.dll
shell32.dll
user32.dll
winspool.drv"
done
check "type library for $KIND" grep -q "TYPELIB 1 $KIND 1.0" <<<"$resources"
for id in 4000 4001 4002; do check "registry script $id" grep -q "REGISTRY $id" <<<"$resources"; done
check "company" grep -q "VERSION CompanyName=Nimbrova" <<<"$resources"
check "file version $VERSION" grep -q "VERSION FileVersion=$VERSION" <<<"$resources"
check "product version $VERSION" grep -q "VERSION ProductVersion=$VERSION" <<<"$resources"
check "original file name" grep -q "VERSION OriginalFilename=VRZProjectAddin.dll" <<<"$resources"
echo "$failures failed"
[ "$failures" -eq 0 ]
