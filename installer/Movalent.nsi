; The Movalent installer. scripts/package.sh compiles it once per architecture:
;   makensis -INPUTCHARSET UTF8 -DVERSION=0.3.4.0 -DARCH=x86|x64 -DBINDIR=<tree>/bin -DROOT=<clone>
;            -DLANGUAGE_FILES=<languages.nsh> -DOUTFILE=<setup.exe> installer/Movalent.nsi
; LANGUAGE_FILES holds two macros, the language files of the build to put in and to take out again.
;
; Per-user by default, without administrator rights, in $LOCALAPPDATA\Programs; for all users (elevated) in Program
; Files, where the machine-wide key HKLM\Software\Ombrisk\Movalent "Install_Dir" names the folder.
; Command line:
;   /S               silent
;   /ALLUSERS        for all users (asks for administrator rights when it lacks them)
;   /CURRENTUSER     for the current user only (the default unless an all-users copy is installed)
;   /DESKTOPSHORTCUT also a desktop shortcut (silent installs; the components page offers it otherwise)
;   /LANGID=n        the installer's language, without asking (1033, 1036, 1031 or 1034)
;   /D=folder        the folder (last on the command line, without quotes)
; (/ELEVATED marks the copy an installer or uninstaller starts of itself with administrator rights.)
; Exit code 0 on success, 740 when an all-users install or uninstall could not get administrator rights.
; The uninstaller takes /S; silently it keeps the user's settings.
; Everything the uninstaller removes, the installer put there: engine files and other files added to the folder stay.

Unicode true
!ifndef VERSION | ARCH | BINDIR | ROOT | LANGUAGE_FILES | OUTFILE
    !error "Build with scripts/package.sh (VERSION, ARCH, BINDIR, ROOT, LANGUAGE_FILES and OUTFILE are needed)"
!endif

!if "${ARCH}" == "x64"
    Target amd64-unicode
    !define PRODUCT_NAME "Movalent (64-bit)"
    ; Its own entry and folder, so both programs can be installed side by side.
    !define ENTRY_NAME "Movalent-x64"
    !define PER_USER_FOLDER "Movalent (64-bit)"
    !define ALL_USERS_PARENT "$PROGRAMFILES64"
!else if "${ARCH}" == "x86"
    Target x86-unicode
    !define PRODUCT_NAME "Movalent"
    !define ENTRY_NAME "Movalent"
    !define PER_USER_FOLDER "Movalent"
    !define ALL_USERS_PARENT "$PROGRAMFILES32"
!else
    !error "ARCH is x86 or x64"
!endif

!define PUBLISHER "Ombrisk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${ENTRY_NAME}"
!define SETTINGS_KEY "Software\Ombrisk\Movalent"
!define INSTALL_KEY "Software\Ombrisk\Movalent"
!define PANEL_KEY "Software\Classes\CLSID\{947E34E9-1D85-43CB-9CBF-5C492118FDD5}"
!define PANEL_NAME "Movalent developer tools panel"
!define MAIN_WINDOW_CLASS "MovalentMainFrame"
!define UNINSTALLER "Uninstall.exe"
; A value of this installer's own in its entry: the language it was installed in, which the uninstaller speaks.
!define ENTRY_LANGUAGE "InstallerLanguage"

Name "${PRODUCT_NAME}"
OutFile "${OUTFILE}"
; Per user by default: rights are asked for only when the all-users choice is made.
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma
BrandingText "${PRODUCT_NAME} ${VERSION}"
; No InstallDir: $INSTDIR is empty in .onInit unless /D= was given, which is how a given folder is told apart.

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "nsDialogs.nsh"
!include "Sections.nsh"

Var AllUsers          ; 1 for all users
Var DirGiven          ; 1 when /D= named the folder
Var Elevated          ; 1 in the copy started with administrator rights
Var LanguageGiven     ; 1 when the command line chose the language
Var ModeCurrentRadio
Var ModeAllRadio

!define MUI_ICON "${ROOT}\res\icons\movalent.ico"
!define MUI_UNICON "${ROOT}\res\icons\movalent.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipInElevatedCopy
!insertmacro MUI_PAGE_WELCOME
Page custom ModePageShow ModePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Movalent.exe"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "Spanish"
!insertmacro MUI_RESERVEFILE_LANGDLL

!include "${ROOT}\installer\Strings.nsh"
!include "${LANGUAGE_FILES}"

VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) ${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT_NAME} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"

; ---------------------------------------------------------------------------------------------------------------
; Shared by the installer and the uninstaller.

; Starts this program again with administrator rights (the "runas" verb: Windows asks the user) and waits for it.
; Stack in: the command line's parameters; out: the copy's exit code, or "" when it could not be started.
!macro DEFINE_RUN_ELEVATED PREFIX
Function ${PREFIX}RunElevated
    Exch $0
    Push $1
    Push $2
    Push $3
    ; SHELLEXECUTEINFOW with SEE_MASK_NOCLOSEPROCESS (0x40) and SEE_MASK_NOASYNC (0x100); the System plug-in packs
    ; structures, so the 64-bit layout spells out its padding.
!if "${ARCH}" == "x64"
    System::Call '*(i 112, i 0x140, p $HWNDPARENT, w "runas", w "$EXEPATH", w r0, p 0, i 1, i 0, p 0, p 0, p 0, p 0, i 0, i 0, p 0, p 0) p .r1'
!else
    System::Call '*(i 60, i 0x140, p $HWNDPARENT, w "runas", w "$EXEPATH", w r0, p 0, i 1, p 0, p 0, p 0, p 0, i 0, p 0, p 0) p .r1'
!endif
    System::Call 'shell32::ShellExecuteExW(p r1) i .r2'
    StrCpy $0 ""
    ${If} $2 <> 0
!if "${ARCH}" == "x64"
        System::Call '*$1(i, i, p, p, p, p, p, i, i, p, p, p, p, i, i, p, p .r3)'
!else
        System::Call '*$1(i, i, p, p, p, p, p, i, p, p, p, p, i, p, p .r3)'
!endif
        ${If} $3 P<> 0
            System::Call 'kernel32::WaitForSingleObject(p r3, i -1)'
            System::Call 'kernel32::GetExitCodeProcess(p r3, *i .r0)'
            System::Call 'kernel32::CloseHandle(p r3)'
        ${EndIf}
    ${EndIf}
    System::Free $1
    Pop $3
    Pop $2
    Pop $1
    Exch $0
FunctionEnd
!macroend
!insertmacro DEFINE_RUN_ELEVATED ""
!insertmacro DEFINE_RUN_ELEVATED "un."

; Whether this process has administrator rights: "Admin" from UserInfo, which a token that UAC filtered is not.
!macro DEFINE_IS_ADMIN PREFIX
Function ${PREFIX}IsAdmin
    Push $0
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 == "Admin"
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
    ${EndIf}
    Exch $0
FunctionEnd
!macroend
!insertmacro DEFINE_IS_ADMIN ""
!insertmacro DEFINE_IS_ADMIN "un."

; Waits until no Movalent window is open: files in use could not be replaced or removed. Silently it gives up.
!macro DEFINE_WAIT_PROGRAM_CLOSED PREFIX
Function ${PREFIX}WaitProgramClosed
    Push $0
    ${Do}
        FindWindow $0 "${MAIN_WINDOW_CLASS}"
        ${If} $0 = 0
            ${Break}
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ProgramRunning)" /SD IDCANCEL IDRETRY +2
        Abort "$(ProgramRunning)"
    ${Loop}
    Pop $0
FunctionEnd
!macroend
!insertmacro DEFINE_WAIT_PROGRAM_CLOSED ""
!insertmacro DEFINE_WAIT_PROGRAM_CLOSED "un."

; ---------------------------------------------------------------------------------------------------------------
; Installer.

Section "${PRODUCT_NAME}" SecMain
    SectionIn RO
    ${If} $AllUsers == 1
        Call IsAdmin
        Pop $R0
        ${If} $R0 == 0
            MessageBox MB_OK|MB_ICONSTOP "$(AdminNeeded)" /SD IDOK
            SetErrorLevel 740
            Abort "$(AdminNeeded)"
        ${EndIf}
    ${EndIf}
    Call WaitProgramClosed

    ; Files only: whatever else the folder holds (engine files, other language files) stays as it is.
    SetOutPath "$INSTDIR"
    File "${BINDIR}\Movalent.exe"
    File "${BINDIR}\MovalentDevTools.dll"
    SetOutPath "$INSTDIR\Languages"
    !insertmacro MOVALENT_INSTALL_LANGUAGE_FILES
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    ; The developer-tools panel, registered for the installing user by its own DllRegisterServer; for all users
    ; the same class machine-wide too.
    ClearErrors
    RegDLL "$INSTDIR\MovalentDevTools.dll"
    ${If} ${Errors}
        DetailPrint "$(PanelNotRegistered)"
    ${EndIf}
    ${If} $AllUsers == 1
        WriteRegStr HKLM "${PANEL_KEY}" "" "${PANEL_NAME}"
        WriteRegStr HKLM "${PANEL_KEY}\InprocServer32" "" "$INSTDIR\MovalentDevTools.dll"
        WriteRegStr HKLM "${PANEL_KEY}\InprocServer32" "ThreadingModel" "Apartment"
        ; The program reads its language files from here.
        WriteRegStr HKLM "${INSTALL_KEY}" "Install_Dir" "$INSTDIR"
    ${EndIf}

    CreateShortCut "$SMPROGRAMS\${PRODUCT_NAME}.lnk" "$INSTDIR\Movalent.exe"
    ; The next section puts it back when chosen.
    Delete "$DESKTOP\${PRODUCT_NAME}.lnk"

    ; The installed programs' list, under the mode's root (SHCTX: HKLM for all users, HKCU otherwise).
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Movalent.exe,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "URLInfoAbout" "http://www.ombrisk.com"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "${ENTRY_LANGUAGE}" "$LANGUAGE"
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    SectionGetSize ${SecMain} $R0
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $R0
SectionEnd

Section /o "$(DesktopShortcut)" SecDesktop
    CreateShortCut "$DESKTOP\${PRODUCT_NAME}.lnk" "$INSTDIR\Movalent.exe"
SectionEnd

Function .onInit
    StrCpy $DirGiven 0
    ${If} $INSTDIR != ""
        StrCpy $DirGiven 1
    ${EndIf}
    ${GetParameters} $R0

    StrCpy $Elevated 0
    ClearErrors
    ${GetOptions} $R0 "/ELEVATED" $R1
    ${IfNot} ${Errors}
        StrCpy $Elevated 1
    ${EndIf}
    StrCpy $LanguageGiven 0
    ClearErrors
    ${GetOptions} $R0 "/LANGID=" $R1
    ${IfNot} ${Errors}
        StrCpy $LANGUAGE $R1
        StrCpy $LanguageGiven 1
    ${EndIf}

    ; The mode: the command line's, else that of the copy already installed (all users only when the folder
    ; given is that copy's), else per user.
    ReadRegStr $R2 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $R3 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    StrCpy $AllUsers 0
    ClearErrors
    ${GetOptions} $R0 "/ALLUSERS" $R1
    ${IfNot} ${Errors}
        StrCpy $AllUsers 1
    ${Else}
        ClearErrors
        ${GetOptions} $R0 "/CURRENTUSER" $R1
        ${If} ${Errors}
        ${AndIf} $R2 != ""
        ${AndIf} $R3 == ""
            ${If} $DirGiven == 0
            ${OrIf} $INSTDIR == $R2
                StrCpy $AllUsers 1
            ${EndIf}
        ${EndIf}
    ${EndIf}
    Call ApplyMode

    ClearErrors
    ${GetOptions} $R0 "/DESKTOPSHORTCUT" $R1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecDesktop}
    ${EndIf}

    ${If} ${Silent}
    ${AndIf} $AllUsers == 1
        Call IsAdmin
        Pop $R1
        ${If} $R1 == 0
            ${If} $Elevated == 1
                SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
                Quit
            ${EndIf}
            ; The same command line again with rights. NSIS takes /D= off the command line it gives: it goes
            ; back, last.
            StrCpy $R1 "/ELEVATED /ALLUSERS $R0"
            ${If} $DirGiven == 1
                StrCpy $R1 "$R1 /D=$INSTDIR"
            ${EndIf}
            Push $R1
            Call RunElevated
            Pop $R1
            ${If} $R1 == ""
                SetErrorLevel 740
            ${Else}
                SetErrorLevel $R1
            ${EndIf}
            Quit
        ${EndIf}
    ${EndIf}

    ${If} $LanguageGiven == 0
        !insertmacro MUI_LANGDLL_DISPLAY
    ${EndIf}
FunctionEnd

; The shell folders and registry root of the mode, and the folder unless the command line named one: the
; installed copy's of that mode, or the default.
Function ApplyMode
    ${If} $AllUsers == 1
        SetShellVarContext all
        ReadRegStr $R9 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${Else}
        SetShellVarContext current
        ReadRegStr $R9 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${EndIf}
    ${If} $DirGiven == 0
        ${If} $R9 != ""
            StrCpy $INSTDIR $R9
        ${ElseIf} $AllUsers == 1
            StrCpy $INSTDIR "${ALL_USERS_PARENT}\Movalent"
        ${Else}
            StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PER_USER_FOLDER}"
        ${EndIf}
    ${EndIf}
    ; An earlier desktop shortcut is kept on an upgrade.
    ${If} ${FileExists} "$DESKTOP\${PRODUCT_NAME}.lnk"
        !insertmacro SelectSection ${SecDesktop}
    ${EndIf}
FunctionEnd

Function SkipInElevatedCopy
    ${If} $Elevated == 1
        Abort
    ${EndIf}
FunctionEnd

Function ModePageShow
    ${If} $Elevated == 1
        Abort
    ${EndIf}
    !insertmacro MUI_HEADER_TEXT "$(ModeTitle)" "$(ModeSubtitle)"
    nsDialogs::Create 1018
    Pop $R0
    ${NSD_CreateLabel} 0 0 100% 24u "$(ModeIntro)"
    Pop $R0
    ${NSD_CreateRadioButton} 10u 30u -10u 14u "$(ModeCurrentUser)"
    Pop $ModeCurrentRadio
    ${NSD_CreateRadioButton} 10u 48u -10u 14u "$(ModeAllUsers)"
    Pop $ModeAllRadio
    ${If} $AllUsers == 1
        ${NSD_Check} $ModeAllRadio
    ${Else}
        ${NSD_Check} $ModeCurrentRadio
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function ModePageLeave
    ${NSD_GetState} $ModeAllRadio $R0
    ${If} $R0 == ${BST_CHECKED}
        StrCpy $AllUsers 1
    ${Else}
        StrCpy $AllUsers 0
    ${EndIf}
    Call ApplyMode
    ${If} $AllUsers == 0
        Return
    ${EndIf}
    Call IsAdmin
    Pop $R0
    ${If} $R0 == 1
        Return
    ${EndIf}
    ; A copy with rights goes on from here, in the same language; this one waits for it and ends with it.
    StrCpy $R1 "/ELEVATED /ALLUSERS /LANGID=$LANGUAGE"
    ${If} ${SectionIsSelected} ${SecDesktop}
        StrCpy $R1 "$R1 /DESKTOPSHORTCUT"
    ${EndIf}
    ${If} $DirGiven == 1
        StrCpy $R1 "$R1 /D=$INSTDIR"
    ${EndIf}
    HideWindow
    Push $R1
    Call RunElevated
    Pop $R0
    ${If} $R0 != ""
        SetErrorLevel $R0
        Quit
    ${EndIf}
    BringToFront
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(ElevationRefused)"
    Abort
FunctionEnd

Function FinishPageShow
    ; A program started from here would run with the installer's rights: not for an all-users install.
    ${If} $AllUsers == 1
        SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
        ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------------------------------------------
; Uninstaller. It runs from a copy in the temporary folder; $INSTDIR is the folder it was installed in.

Function un.onInit
    ${GetParameters} $R0
    StrCpy $Elevated 0
    ClearErrors
    ${GetOptions} $R0 "/ELEVATED" $R1
    ${IfNot} ${Errors}
        StrCpy $Elevated 1
    ${EndIf}

    ; All users when the machine-wide entry names this folder.
    StrCpy $AllUsers 0
    ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R1 != ""
    ${AndIf} $R1 == $INSTDIR
        StrCpy $AllUsers 1
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}
    ReadRegStr $R1 SHCTX "${UNINSTALL_KEY}" "${ENTRY_LANGUAGE}"
    ${If} $R1 != ""
        StrCpy $LANGUAGE $R1
    ${EndIf}

    ${If} $AllUsers == 1
        Call un.IsAdmin
        Pop $R1
        ${If} $R1 == 0
            ${If} $Elevated == 0
                StrCpy $R2 "/ELEVATED"
                ${If} ${Silent}
                    StrCpy $R2 "$R2 /S"
                ${EndIf}
                Push "$R2 _?=$INSTDIR"
                Call un.RunElevated
                Pop $R1
                ${If} $R1 != ""
                    SetErrorLevel $R1
                    Quit
                ${EndIf}
            ${EndIf}
            MessageBox MB_OK|MB_ICONSTOP "$(UninstallAdminNeeded)" /SD IDOK
            SetErrorLevel 740
            Quit
        ${EndIf}
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Call un.WaitProgramClosed

    ; The panel's class, wherever it names the DLL of this folder (another copy's registration stays).
    ReadRegStr $R0 HKCU "${PANEL_KEY}\InprocServer32" ""
    ${If} $R0 == "$INSTDIR\MovalentDevTools.dll"
        DeleteRegKey HKCU "${PANEL_KEY}"
    ${EndIf}
    ${If} $AllUsers == 1
        ReadRegStr $R0 HKLM "${PANEL_KEY}\InprocServer32" ""
        ${If} $R0 == "$INSTDIR\MovalentDevTools.dll"
            DeleteRegKey HKLM "${PANEL_KEY}"
        ${EndIf}
        ReadRegStr $R0 HKLM "${INSTALL_KEY}" "Install_Dir"
        ${If} $R0 == $INSTDIR
            DeleteRegValue HKLM "${INSTALL_KEY}" "Install_Dir"
        ${EndIf}
        DeleteRegKey /ifempty HKLM "${INSTALL_KEY}"
        DeleteRegKey /ifempty HKLM "Software\Ombrisk"
    ${EndIf}

    ; The files it installed, and the folders if nothing else is left in them.
    Delete "$INSTDIR\Movalent.exe"
    Delete "$INSTDIR\MovalentDevTools.dll"
    !insertmacro MOVALENT_REMOVE_LANGUAGE_FILES
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR\Languages"
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${PRODUCT_NAME}.lnk"
    Delete "$DESKTOP\${PRODUCT_NAME}.lnk"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"

    ; The user's settings go only when asked for; a silent uninstall keeps them.
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(RemoveSettings)" /SD IDNO IDNO keep_settings
        DeleteRegKey HKCU "${SETTINGS_KEY}"
        DeleteRegKey /ifempty HKCU "Software\Ombrisk"
    keep_settings:
SectionEnd
