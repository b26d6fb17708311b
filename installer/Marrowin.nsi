; Marrowin's setup, Marrowin-setup.exe: installs the app folder for the current user, without
; administrator rights, into %LOCALAPPDATA%\Programs\Marrowin (Marrowin writes its settings file
; and log beside its exe, so the folder must be the user's), with a Start menu shortcut and an
; entry in the user's list of installed programs. /S installs and uninstalls silently.
;
; The build runs makensis with VERSION (the program's version, from CMakeLists.txt), APP_DIR
; (the app folder), ICON and OUT_FILE defined.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Marrowin"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Where Marrowin saves each account's SSH session, named after the account.
!define SESSIONS_KEY "Software\Larkspindle\PuTTY\Sessions"
; Marrowin holds this mutex for as long as it runs.
!define RUNNING_MUTEX "Marrowin-SingleInstance"
; The registered message that makes Marrowin quit as its Quit command does, without asking.
!define QUIT_MESSAGE "Marrowin-Quit"

Name "Marrowin"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\Marrowin"
; An upgrade goes where the installed copy is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
Icon "${ICON}"
UninstallIcon "${ICON}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Marrowin"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Marrowin Setup"
VIAddVersionKey "CompanyName" "Marrowin"
VIAddVersionKey "LegalCopyright" "(c) The Marrowin makers. All rights reserved."

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Setup and uninstall each need their own copy of these functions.
!macro RUNNING_MARROWIN_FUNCTIONS UN

; Pushes 1 once no Marrowin runs and the installed Marrowin.exe, if any, can be written (the
; mutex goes as the process ends, a moment before its exe is let go), else 0.
Function ${UN}MarrowinHasEnded
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MUTEX}") p .r0'
    ${If} $0 != 0
        System::Call 'kernel32::CloseHandle(p r0)'
        Push 0
        Return
    ${EndIf}
    ${IfNot} ${FileExists} "$INSTDIR\Marrowin.exe"
        Push 1
        Return
    ${EndIf}
    ClearErrors
    FileOpen $0 "$INSTDIR\Marrowin.exe" a
    ${If} ${Errors}
        Push 0
        Return
    ${EndIf}
    FileClose $0
    Push 1
FunctionEnd

; Quits a running Marrowin, asking first unless silent, and waits until it has ended: it
; stops its tunnel and sets the browser back as its Quit command does. Aborts when the user
; declines, or when Marrowin has not ended after half a minute and the user does not retry.
Function ${UN}QuitRunningMarrowin
    Call ${UN}MarrowinHasEnded
    Pop $0
    ${If} $0 == 1
        Return
    ${EndIf}
    MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION \
        "Marrowin is running. Choose OK to quit it and go on, or Cancel to stop." \
        /SD IDOK IDOK ask_to_quit
    Abort
ask_to_quit:
    System::Call 'user32::RegisterWindowMessageW(w "${QUIT_MESSAGE}") i .r1'
    ; To every top-level window: only Marrowin's main window knows the message, and it is
    ; found this way whatever its title.
    System::Call 'user32::PostMessageW(p 0xFFFF, i r1, p 0, p 0)'
    StrCpy $2 0
wait_for_end:
    Call ${UN}MarrowinHasEnded
    Pop $0
    ${If} $0 == 1
        Return
    ${EndIf}
    IntOp $2 $2 + 1
    ${If} $2 < 120
        Sleep 250
        Goto wait_for_end
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONSTOP \
        "Marrowin has not quit. Quit it from its tray icon, then choose Retry." \
        /SD IDCANCEL IDRETRY ask_to_quit
    Abort
FunctionEnd

!macroend

!insertmacro RUNNING_MARROWIN_FUNCTIONS ""
!insertmacro RUNNING_MARROWIN_FUNCTIONS "un."

; How many of the install folder's files this run has written, in the order the section writes
; them: those go again when setup stops.
Var filesWritten

; Stops setup with a box that names the folder and the reason (none when silent); .onInstFailed
; then removes what was written and setup ends with exit code 2, having registered nothing.
!macro STOP_SETUP WHY
    MessageBox MB_OK|MB_ICONSTOP "Marrowin could not be installed in $\"$INSTDIR$\".$\r$\n$\r$\n${WHY}" \
        /SD IDOK
    Abort
!macroend

; A write whose failure set the error flag stops setup; one that succeeded is counted.
!macro CHECK_WRITTEN WHAT
    ${If} ${Errors}
        !insertmacro STOP_SETUP "${WHAT} could not be written."
    ${EndIf}
    IntOp $filesWritten $filesWritten + 1
!macroend

!macro WRITE_FILE NAME
    ClearErrors
    File "${APP_DIR}/${NAME}"
    !insertmacro CHECK_WRITTEN "The file ${NAME}"
!macroend

; Makes the install folder and tries a file in it: $0 is empty when files can be written there,
; else the system's reason (a file where the folder should be, a folder of another user ...).
Function CheckFolderWritable
    StrCpy $0 ""
    CreateDirectory "$INSTDIR"
    System::Call 'kernel32::GetTempFileNameW(w "$INSTDIR", w "mrw", i 0, w .r1) i .r2 ?e'
    Pop $3
    ${If} $2 != 0
        Delete "$1"
        Return
    ${EndIf}
    System::Call 'kernel32::FormatMessageW(i 0x1200, p 0, i r3, i 0, w .r0, i ${NSIS_MAX_STRLEN}, p 0)'
    ${If} $0 == ""
        StrCpy $0 "Error $3."
    ${EndIf}
FunctionEnd

; The settings file Marrowin.ini is never written here: an upgrade keeps it.
Section
    SetShellVarContext current
    Call QuitRunningMarrowin
    Call CheckFolderWritable
    ${If} $0 != ""
        !insertmacro STOP_SETUP "$0"
    ${EndIf}
    SetOutPath "$INSTDIR"
    !insertmacro WRITE_FILE "Marrowin.exe"
    !insertmacro WRITE_FILE "plink.exe"
    !insertmacro WRITE_FILE "Marrowin.chm"
    ClearErrors
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    !insertmacro CHECK_WRITTEN "The file Uninstall.exe"
    ClearErrors
    CreateShortCut "$SMPROGRAMS\Marrowin.lnk" "$INSTDIR\Marrowin.exe"
    !insertmacro CHECK_WRITTEN "The Start menu shortcut"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Marrowin"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Marrowin makers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Marrowin.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Setup stopped: the files it wrote go again (an upgrade loses those it replaced, never the
; settings file), and the folder too when nothing else is in it.
Function .onInstFailed
    ${If} $filesWritten > 0
        Delete "$INSTDIR\Marrowin.exe"
    ${EndIf}
    ${If} $filesWritten > 1
        Delete "$INSTDIR\plink.exe"
    ${EndIf}
    ${If} $filesWritten > 2
        Delete "$INSTDIR\Marrowin.chm"
    ${EndIf}
    ${If} $filesWritten > 3
        Delete "$INSTDIR\Uninstall.exe"
    ${EndIf}
    RMDir "$INSTDIR"
FunctionEnd

; Deletes the saved session of every account of the settings file (a section there with a user
; name, named as the session), then the settings file and the accounts' server keys. Other
; programs' sessions stay.
Function un.RemoveSettings
    StrCpy $1 0
    StrCpy $3 ""
    ${Do}
        ClearErrors
        EnumRegKey $0 HKCU "${SESSIONS_KEY}" $1
        ${If} ${Errors}
        ${OrIf} $0 == ""
            ${Break}
        ${EndIf}
        ClearErrors
        ReadINIStr $2 "$INSTDIR\Marrowin.ini" "$0" "username"
        ${If} ${Errors}
            IntOp $1 $1 + 1 ; not an account's: on to the next key
        ${ElseIf} $0 == $3
            IntOp $1 $1 + 1 ; deleted, yet still listed: passed over
        ${Else}
            StrCpy $3 $0
            DeleteRegKey HKCU "${SESSIONS_KEY}\$0"
            ; Once deleted, the next key moves up into this index.
            ${If} ${Errors}
                IntOp $1 $1 + 1
            ${EndIf}
        ${EndIf}
    ${Loop}
    DeleteRegKey /ifempty HKCU "${SESSIONS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Larkspindle\PuTTY"
    DeleteRegKey /ifempty HKCU "Software\Larkspindle"
    Delete "$INSTDIR\Marrowin.ini"
    Delete "$INSTDIR\known_hosts"
    Delete "$INSTDIR\known_hosts.new"
FunctionEnd

; A "Marrowin" value of the Run key is removed when it starts this copy; another copy's stays.
; Without administrator rights the machine's value cannot be removed: that is left as it is.
!macro REMOVE_RUN_VALUE ROOT
    ReadRegStr $0 ${ROOT} "${RUN_KEY}" "Marrowin"
    ${If} $0 == '"$INSTDIR\Marrowin.exe"'
    ${OrIf} $0 == "$INSTDIR\Marrowin.exe"
        DeleteRegValue ${ROOT} "${RUN_KEY}" "Marrowin"
    ${EndIf}
!macroend

Section "Uninstall"
    SetShellVarContext current
    Call un.QuitRunningMarrowin
    ; A run that ended without its clean-up may have left the browser pointed at its tunnel:
    ; Marrowin.exe sets it back from its records, showing nothing, before it is removed.
    ${If} ${FileExists} "$INSTDIR\Marrowin.exe"
        ExecWait '"$INSTDIR\Marrowin.exe" /repair-browser'
    ${EndIf}
    ; The repair has taken the records of the browser's settings away: their key goes when
    ; nothing else is in it.
    DeleteRegKey /ifempty HKCU "Software\Marrowin"
    ${If} ${FileExists} "$INSTDIR\Marrowin.ini"
    ${OrIf} ${FileExists} "$INSTDIR\known_hosts"
        MessageBox MB_YESNO|MB_ICONQUESTION \
            "Keep your Marrowin settings (accounts and port forwardings) and saved SSH sessions \
for a later install?" \
            /SD IDYES IDYES keep_settings
        Call un.RemoveSettings
    keep_settings:
    ${EndIf}
    Delete "$INSTDIR\Marrowin.exe"
    Delete "$INSTDIR\plink.exe"
    Delete "$INSTDIR\Marrowin.chm"
    Delete "$INSTDIR\log.txt"
    Delete "$INSTDIR\Uninstall.exe"
    Delete "$SMPROGRAMS\Marrowin.lnk"
    !insertmacro REMOVE_RUN_VALUE HKCU
    !insertmacro REMOVE_RUN_VALUE HKLM
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; Only when empty: a kept settings file stays in it.
    RMDir "$INSTDIR"
SectionEnd
