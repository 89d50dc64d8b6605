#!/usr/bin/env bash
# Wine's regsvr32 on the built DLL and back: every key and value the registration writes, the
# ForceRemove of a second registration, the removal of empty parents, a module path with a single
# quote, and a registry left as it was found.
# Usage: registration_test.sh WINE_RUN BIN_DIR WORK_DIR TYPELIB_KIND (win64 or win32)
set -u
RUN=$1 BIN=$2 WORK=$3 KIND=$4
failures=0
check() {  # check DESCRIPTION COMMAND...
    local what=$1; shift
    if "$@" >/dev/null 2>&1; then echo "ok      $what"; else echo "FAILED  $what"; failures=$((failures + 1)); fi
}
query() { "$RUN" reg query "$@" 2>/dev/null | tr -d '\r'; }
has_value() {  # has_value KEY NAME TYPE DATA   (NAME "(Default)" for the default value)
    local key=$1 name=$2 type=$3 data=$4 out
    if [ "$name" = "(Default)" ]; then out=$(query "$key" /ve); else out=$(query "$key" /v "$name"); fi
    grep -qF -- "$name    $type    $data" <<<"$out"
}
exists() { "$RUN" reg query "$@" >/dev/null 2>&1; }
missing() { ! exists "$1"; }

CLSID='HKCR\CLSID\{8D4F1B27-6C3E-4A95-B2D0-7E1F5A9C3B68}'
ADDIN='HKLM\Software\Microsoft\Office\MS Project\Addins\VRZProjectAddin2003.ProjectAddinObj'
APPID='{5E2A7C41-0B93-4F6D-8A1E-3C7D9B2F6A04}'
TYPELIB='HKCR\TypeLib\{2B7E9D13-A4C6-4F58-9E01-6D3B8C2A7F45}'

mkdir -p "$WORK/it's here"
cp "$BIN/VRZProjectAddin.dll" "$WORK/it's here/VRZProjectAddin.dll"
DLL="$WORK/it's here/VRZProjectAddin.dll"
WINDLL="Z:$(realpath "$DLL" | tr '/' '\\')"

"$RUN" regsvr32 /u /s "$DLL" >/dev/null 2>&1
before=$(query 'HKLM\Software\Microsoft' /s | md5sum; query 'HKCR\CLSID' | md5sum; query 'HKCR\AppID' | md5sum)
check "Office key absent before" missing 'HKLM\Software\Microsoft\Office'

check "regsvr32 succeeds" "$RUN" regsvr32 /s "$DLL"
check "AppID default" has_value "HKCR\\AppID\\$APPID" "(Default)" REG_SZ VRZProjectAddin
check "AppID of the DLL" has_value 'HKCR\AppID\VRZProjectAddin.DLL' AppID REG_SZ "$APPID"
check "ProgID" has_value 'HKCR\VRZProjectAddin2003.ProjectAddinObj.1' "(Default)" REG_SZ "ProjectAddinObj Class"
check "ProgID CLSID" has_value 'HKCR\VRZProjectAddin2003.ProjectAddinObj.1\CLSID' "(Default)" REG_SZ '{8D4F1B27-6C3E-4A95-B2D0-7E1F5A9C3B68}'
check "independent ProgID" has_value 'HKCR\VRZProjectAddin2003.ProjectAddinObj' "(Default)" REG_SZ "ProjectAddinObj Class"
check "independent ProgID CLSID" has_value 'HKCR\VRZProjectAddin2003.ProjectAddinObj\CLSID' "(Default)" REG_SZ '{8D4F1B27-6C3E-4A95-B2D0-7E1F5A9C3B68}'
check "CurVer" has_value 'HKCR\VRZProjectAddin2003.ProjectAddinObj\CurVer' "(Default)" REG_SZ VRZProjectAddin2003.ProjectAddinObj.1
check "class name" has_value "$CLSID" "(Default)" REG_SZ "ProjectAddinObj Class"
check "class AppID" has_value "$CLSID" AppID REG_SZ "$APPID"
check "class ProgID" has_value "$CLSID\\ProgID" "(Default)" REG_SZ VRZProjectAddin2003.ProjectAddinObj.1
check "class VersionIndependentProgID" has_value "$CLSID\\VersionIndependentProgID" "(Default)" REG_SZ VRZProjectAddin2003.ProjectAddinObj
check "class Programmable" exists "$CLSID\\Programmable"
check "InprocServer32 path, quote unchanged" has_value "$CLSID\\InprocServer32" "(Default)" REG_SZ "$WINDLL"
check "ThreadingModel" has_value "$CLSID\\InprocServer32" ThreadingModel REG_SZ Apartment
check "class TypeLib" has_value "$CLSID\\TypeLib" "(Default)" REG_SZ '{2B7E9D13-A4C6-4F58-9E01-6D3B8C2A7F45}'
check "type library registered" has_value "$TYPELIB\\1.0\\0\\$KIND" "(Default)" REG_SZ "$WINDLL"
check "add-in FriendlyName" has_value "$ADDIN" FriendlyName REG_SZ "Nimbrova VRZ Addin for Microsoft Project"
check "add-in Description" has_value "$ADDIN" Description REG_SZ "Nimbrova VRZ Addin for Microsoft Project"
check "add-in LoadBehavior 3" has_value "$ADDIN" LoadBehavior REG_DWORD 0x3
check "add-in CommandLineSafe 1" has_value "$ADDIN" CommandLineSafe REG_DWORD 0x1
check "script 4002 not applied" missing 'HKCR\VRZProjectAddin.ProjectAddinObj'
check "no per-user add-in key" missing 'HKCU\Software\Microsoft\Office\MS Project\Addins\VRZProjectAddin.ProjectAddinObj'

"$RUN" reg add "$CLSID\\Stale" /ve /d leftover /f >/dev/null 2>&1
check "second registration succeeds" "$RUN" regsvr32 /s "$DLL"
check "ForceRemove cleared the old class key" missing "$CLSID\\Stale"

check "regsvr32 /u succeeds" "$RUN" regsvr32 /u /s "$DLL"
for key in "$CLSID" 'HKCR\VRZProjectAddin2003.ProjectAddinObj.1' 'HKCR\VRZProjectAddin2003.ProjectAddinObj' \
           "HKCR\\AppID\\$APPID" 'HKCR\AppID\VRZProjectAddin.DLL' "$ADDIN" "$TYPELIB" \
           'HKLM\Software\Microsoft\Office'; do
    check "removed: $key" missing "$key"
done
check "CLSID root stays" exists 'HKCR\CLSID'
check "AppID root stays" exists 'HKCR\AppID'
check "Software stays" exists 'HKLM\Software'
check "unregistering again succeeds" "$RUN" regsvr32 /u /s "$DLL"
after=$(query 'HKLM\Software\Microsoft' /s | md5sum; query 'HKCR\CLSID' | md5sum; query 'HKCR\AppID' | md5sum)
check "registry as before" test "$before" = "$after"

# Per-user registration: regsvr32 /i:user /n calls DllInstall alone.
UCLASSES='HKCU\Software\Classes'
UADDIN='HKCU\Software\Microsoft\Office\MS Project\Addins\VRZProjectAddin2003.ProjectAddinObj'
check "per-user registration succeeds" "$RUN" regsvr32 /s /i:user /n "$DLL"
check "per-user InprocServer32" has_value "$UCLASSES\\CLSID\\{8D4F1B27-6C3E-4A95-B2D0-7E1F5A9C3B68}\\InprocServer32" "(Default)" REG_SZ "$WINDLL"
check "per-user ProgID" has_value "$UCLASSES\\VRZProjectAddin2003.ProjectAddinObj\\CurVer" "(Default)" REG_SZ VRZProjectAddin2003.ProjectAddinObj.1
check "per-user type library" has_value "$UCLASSES\\TypeLib\\{2B7E9D13-A4C6-4F58-9E01-6D3B8C2A7F45}\\1.0\\0\\$KIND" "(Default)" REG_SZ "$WINDLL"
check "per-user add-in LoadBehavior 3" has_value "$UADDIN" LoadBehavior REG_DWORD 0x3
check "nothing for the machine" missing 'HKLM\Software\Classes\CLSID\{8D4F1B27-6C3E-4A95-B2D0-7E1F5A9C3B68}'
check "no machine add-in key" missing "$ADDIN"
check "per-user removal succeeds" "$RUN" regsvr32 /s /u /i:user /n "$DLL"
for key in "$UCLASSES\\CLSID\\{8D4F1B27-6C3E-4A95-B2D0-7E1F5A9C3B68}" "$UCLASSES\\VRZProjectAddin2003.ProjectAddinObj" \
           "$UCLASSES\\TypeLib\\{2B7E9D13-A4C6-4F58-9E01-6D3B8C2A7F45}" 'HKCU\Software\Microsoft\Office'; do
    check "per-user removed: $key" missing "$key"
done
after=$(query 'HKLM\Software\Microsoft' /s | md5sum; query 'HKCR\CLSID' | md5sum; query 'HKCR\AppID' | md5sum)
check "registry as before, again" test "$before" = "$after"

echo "$failures failed"
[ "$failures" -eq 0 ]
