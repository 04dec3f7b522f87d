; Kadrant's Windows installer. Made by scripts/windows-installer.sh, which passes:
;   VERSION     the program's version (CMake's project version)
;   STAGE       the folder `cmake --install` laid out (the programs, Qt, the runtime DLLs)
;   FILES       an include with the File lines of every file of STAGE
;   REMOVE      an include with the Delete/RMDir lines of the same files, for the uninstaller
;   OUTFILE     where the installer goes
; Per user by default (no administrator needed; %LOCALAPPDATA%\Programs\Kadrant); /AllUsers
; installs for every user of the PC (Program Files). /S installs silently.
; The settings, config.dat in %APPDATA%\Kadrant, belong to the user: the uninstaller leaves them.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Kadrant"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kadrant"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "Kadrant"
!include MultiUser.nsh
!include MUI2.nsh
!include x64.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${STAGE}/kadrant.ico"
UninstallIcon "${STAGE}/kadrant.ico"

!define MUI_ICON "${STAGE}/kadrant.ico"
!define MUI_UNICON "${STAGE}/kadrant.ico"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "Kadrant needs 64-bit Windows." /SD IDOK
        Abort
    ${EndIf}
    SetRegView 64
    !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
    SetRegView 64
    !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Kadrant"
    SetOutPath "$INSTDIR"
    !include "${FILES}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; Started from the Start menu, Kadrant works in %APPDATA%\Kadrant (it moves there when started
    ; in its own folder), so the entries start it in its own folder.
    CreateDirectory "$SMPROGRAMS\Kadrant"
    CreateShortCut "$SMPROGRAMS\Kadrant\Kadrant.lnk" "$INSTDIR\kadrant.exe" "" "$INSTDIR\kadrant.ico"
    CreateShortCut "$SMPROGRAMS\Kadrant\Kadrant TV board.lnk" "$INSTDIR\kadrant-boardsim.exe" \
        "--fullscreen" "$INSTDIR\kadrant.ico"

    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Kadrant"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Kadrant"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kadrant.ico"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\Kadrant\Kadrant.lnk"
    Delete "$SMPROGRAMS\Kadrant\Kadrant TV board.lnk"
    RMDir "$SMPROGRAMS\Kadrant"
    !include "${REMOVE}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
