; Installer of the VRZ Writer add-in for Microsoft Project.
; Installs the 64-bit DLL, and the 32-bit one where the machine runs 32-bit programs (Office is
; 32-bit by default); registers them for all users when run elevated, for the current user
; otherwise or with /user. Silent with /S. Built by scripts/installer.sh:
;   makensis -DVERSION=1.0.0 -DX64_DLL=... -DX86_DLL=... -DOUTFILE=... VRZProjectAddin.nsi
Unicode true
Target amd64-unicode
!include LogicLib.nsh
!include FileFunc.nsh

Name "VRZ Writer Project Add-in ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel highest
InstallDir "$PROGRAMFILES64\Nimbrova\VRZ Project Addin"
SetCompressor /SOLID lzma
ShowInstDetails show

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VRZProjectAddin"
Var PerUser
Var RegisterArgs

Page directory
Page instfiles
UninstPage instfiles

; Per user when the account is not an administrator, or when asked with /user.
Function ChooseScope
    UserInfo::GetAccountType
    Pop $0
    StrCpy $PerUser 0
    ${If} $0 != "Admin"
        StrCpy $PerUser 1
    ${EndIf}
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/user" $2
    ${IfNot} ${Errors}
        StrCpy $PerUser 1
    ${EndIf}
    ${If} $PerUser == 1
        StrCpy $RegisterArgs "/s /i:user /n"
        SetShellVarContext current
    ${Else}
        StrCpy $RegisterArgs "/s"
        SetShellVarContext all
    ${EndIf}
FunctionEnd

Function .onInit
    Call ChooseScope
    ${If} $PerUser == 1
        StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Nimbrova\VRZ Project Addin"
    ${EndIf}
FunctionEnd

Function un.onInit
    UserInfo::GetAccountType
    Pop $0
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    StrCpy $PerUser 0
    StrCpy $RegisterArgs "/s"
    ${If} $1 != ""
        StrCpy $PerUser 1
        StrCpy $RegisterArgs "/s /i:user /n"
    ${EndIf}
FunctionEnd

; regsvr32 of the DLL's own bitness; a failure stops the installation.
!macro Register SYSDIR DLL ARGS
    ExecWait '"${SYSDIR}\regsvr32.exe" ${ARGS} "${DLL}"' $0
    ${If} $0 != 0
        Abort "Registration of ${DLL} failed ($0)."
    ${EndIf}
!macroend

Section "Add-in"
    SetOutPath "$INSTDIR\x64"
    File "/oname=VRZProjectAddin.dll" "${X64_DLL}"
    !insertmacro Register "$WINDIR\System32" "$INSTDIR\x64\VRZProjectAddin.dll" "$RegisterArgs"
    ; The 32-bit add-in, for 32-bit Office, where the machine runs 32-bit programs.
    ${If} ${FileExists} "$WINDIR\SysWOW64\regsvr32.exe"
        SetOutPath "$INSTDIR\x86"
        File "/oname=VRZProjectAddin.dll" "${X86_DLL}"
        !insertmacro Register "$WINDIR\SysWOW64" "$INSTDIR\x86\VRZProjectAddin.dll" "$RegisterArgs"
    ${EndIf}
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ${If} $PerUser == 1
        WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "VRZ Writer Project Add-in"
        WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
        WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Nimbrova"
        WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
        WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    ${Else}
        WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "VRZ Writer Project Add-in"
        WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
        WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Nimbrova"
        WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
        WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    ${EndIf}
SectionEnd

Section "Uninstall"
    ${If} ${FileExists} "$INSTDIR\x86\VRZProjectAddin.dll"
        ExecWait '"$WINDIR\SysWOW64\regsvr32.exe" /u $RegisterArgs "$INSTDIR\x86\VRZProjectAddin.dll"'
    ${EndIf}
    ExecWait '"$WINDIR\System32\regsvr32.exe" /u $RegisterArgs "$INSTDIR\x64\VRZProjectAddin.dll"'
    Delete "$INSTDIR\x64\VRZProjectAddin.dll"
    Delete "$INSTDIR\x86\VRZProjectAddin.dll"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR\x64"
    RMDir "$INSTDIR\x86"
    RMDir "$INSTDIR"
    RMDir "$INSTDIR\.."
    ${If} $PerUser == 1
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${Else}
        DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ${EndIf}
SectionEnd
