; The setup program: finds Winamp's folder, installs gen_Pipwick.dll into its Plugins folder, and
; registers an uninstaller. Built by tools/make-setup.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.01 -DFILEVERSION=1.0.1.2 -DDLL=<built DLL> -DOUTFILE=<exe> setup.nsi
; The uninstaller takes /RemoveSettings: a silent uninstall then removes the settings too.
; Nothing here depends on the clock, so the same commit gives the same bytes.

Unicode true
ManifestSupportedOS all
RequestExecutionLevel admin   ; Winamp lives under Program Files
SetCompressor /SOLID lzma
SetDateSave off               ; the DLL's file time would otherwise change the setup's bytes
AllowSkipFiles off            ; a DLL that cannot be replaced fails the setup instead of being skipped

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PLAYER_CLASS "Winamp v1.x"
!define PLAYER_KEY "Software\Winamp"
!define PLAYER_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pipwick"
!define UNINSTALLER "Pipwick-uninstall.exe"
!define PUBLISHER "the Pipwick authors"

Name "Pipwick ${VERSION}"
OutFile "${OUTFILE}"
; No InstallDir: $INSTDIR is Winamp's own folder, found in .onInit unless /D= gives it.

!define MUI_ABORTWARNING
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE leaveDirectoryPage
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(DirectoryText)"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "$(DirectoryLabel)"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first is the fallback; otherwise the system's interface language picks, as for the plug-in.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"

LangString DirectoryText ${LANG_ENGLISH} "Setup will install the Pipwick plug-in into the Plugins folder of this Winamp. To use another Winamp, choose its folder: the one that holds winamp.exe."
LangString DirectoryText ${LANG_RUSSIAN} "Программа установит модуль Pipwick в папку Plugins этого Winamp. Чтобы выбрать другой Winamp, укажите его папку: ту, где лежит winamp.exe."
LangString DirectoryLabel ${LANG_ENGLISH} "Winamp folder"
LangString DirectoryLabel ${LANG_RUSSIAN} "Папка Winamp"
LangString NoPlayer ${LANG_ENGLISH} "There is no winamp.exe in$\r$\n$INSTDIR$\r$\n$\r$\nPlease choose the folder Winamp is installed in."
LangString NoPlayer ${LANG_RUSSIAN} "В папке$\r$\n$INSTDIR$\r$\nнет winamp.exe.$\r$\n$\r$\nУкажите папку, в которую установлен Winamp."
LangString PlayerRunning ${LANG_ENGLISH} "Winamp is running. Please close it, then press Retry."
LangString PlayerRunning ${LANG_RUSSIAN} "Winamp запущен. Закройте его и нажмите «Повтор»."
LangString RemoveSettings ${LANG_ENGLISH} "Remove Pipwick's settings too?"
LangString RemoveSettings ${LANG_RUSSIAN} "Удалить и настройки Pipwick?"
LangString PluginInUse ${LANG_ENGLISH} "gen_Pipwick.dll is in use by another program and could not be removed.$\r$\n$\r$\nPlease close that program, then uninstall Pipwick again."
LangString PluginInUse ${LANG_RUSSIAN} "gen_Pipwick.dll занят другой программой и не может быть удалён.$\r$\n$\r$\nЗакройте эту программу и снова удалите Pipwick."

VIProductVersion "${FILEVERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Pipwick"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Pipwick ${VERSION} setup: song balloons for Winamp"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}, MIT License"

; $0: an uninstall command, quoted or not, in; the program's path, out.
Function unquotePath
    StrCpy $1 $0 1
    StrCmp $1 '"' 0 done
    StrCpy $0 $0 "" 1
    StrCpy $2 0
    loop:
        StrCpy $1 $0 1 $2
        StrCmp $1 "" done
        StrCmp $1 '"' cut
        IntOp $2 $2 + 1
        Goto loop
    cut:
        StrCpy $0 $0 $2
    done:
FunctionEnd

Var firstCandidate   ; the first folder named at all, for the page when none holds winamp.exe
Var playerFound      ; 1 once $INSTDIR holds winamp.exe

; $0: a folder Winamp's installer may have recorded. A value that names a folder the user has since
; removed or moved must not win over a good one that follows.
Function considerPlayerFolder
    ${If} $playerFound == 1
    ${OrIf} $0 == ""
        Return
    ${EndIf}
    ${If} $firstCandidate == ""
        StrCpy $firstCandidate $0
    ${EndIf}
    ${If} ${FileExists} "$0\winamp.exe"
        StrCpy $INSTDIR $0
        StrCpy $playerFound 1
    ${EndIf}
FunctionEnd

; Where Winamp's installer says it put Winamp: per user first, then its uninstall entry (in the
; 32-bit registry view, which this 32-bit setup reads by default), then the default folder.
Function findPlayerFolder
    ReadRegStr $0 HKCU "${PLAYER_KEY}" ""
    Call considerPlayerFolder
    ReadRegStr $0 HKLM "${PLAYER_UNINSTALL_KEY}" "InstallLocation"
    Call considerPlayerFolder
    ReadRegStr $0 HKLM "${PLAYER_UNINSTALL_KEY}" "UninstallString"
    ${If} $0 != ""
        Call unquotePath
        ${GetParent} $0 $0
    ${EndIf}
    Call considerPlayerFolder
    StrCpy $0 "$PROGRAMFILES\Winamp"
    Call considerPlayerFolder
    ${If} $playerFound != 1
        StrCpy $INSTDIR $firstCandidate
    ${EndIf}
FunctionEnd

Function .onInit
    ${If} $INSTDIR == ""
        Call findPlayerFolder
    ${EndIf}
FunctionEnd

Function leaveDirectoryPage
    ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(NoPlayer)"
        Abort
    ${EndIf}
FunctionEnd

; A replaced DLL only takes effect, or can only be written or deleted, once Winamp has closed.
!macro WAIT_FOR_PLAYER_TO_CLOSE PREFIX
Function ${PREFIX}waitForPlayerToClose
    ${Do}
        FindWindow $0 "${PLAYER_CLASS}"
        ${If} $0 == 0
            Return
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(PlayerRunning)" /SD IDCANCEL IDRETRY +2
        Abort
    ${Loop}
FunctionEnd
!macroend
!insertmacro WAIT_FOR_PLAYER_TO_CLOSE ""
!insertmacro WAIT_FOR_PLAYER_TO_CLOSE "un."

; Both checks come before anything is written: a refusal changes nothing (exit code 2 when silent).
Section "Pipwick"
    ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(NoPlayer)" /SD IDOK
        Abort
    ${EndIf}
    Call waitForPlayerToClose

    SetOutPath "$INSTDIR\Plugins"
    File "/oname=gen_Pipwick.dll" "${DLL}"
    WriteUninstaller "$INSTDIR\Plugins\${UNINSTALLER}"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Pipwick ${VERSION} (Winamp plug-in)"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR\Plugins"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR\Plugins" "/M=gen_Pipwick.dll /S=0K /G=0" $0 $1 $2
    ${GetSize} "$INSTDIR\Plugins" "/M=${UNINSTALLER} /S=0K /G=0" $3 $1 $2
    IntOp $0 $0 + $3
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; plugin.ini is shared with Winamp's other plug-ins: only our own section goes, and only when the
; user says so (silently, with /RemoveSettings).
Function un.removeSettingsIfAsked
    ${If} ${Silent}
        ${GetParameters} $0
        ClearErrors
        ${GetOptions} $0 "/RemoveSettings" $1
        ${If} ${Errors}
            Return
        ${EndIf}
    ${Else}
        MessageBox MB_YESNO|MB_ICONQUESTION "$(RemoveSettings)" IDYES +2
        Return
    ${EndIf}
    DeleteINISec "$INSTDIR\plugin.ini" "zoPipwick"
    SetShellVarContext current
    Delete "$APPDATA\Pipwick\plugin.ini"
    RMDir "$APPDATA\Pipwick"
FunctionEnd

; $INSTDIR is the Plugins folder the uninstaller lies in. A DLL that stays loaded cannot be deleted:
; then nothing else goes either (exit code 2 when silent), so that a later uninstall can finish.
Section "Uninstall"
    Call un.waitForPlayerToClose
    Delete "$INSTDIR\gen_Pipwick.dll"
    ${If} ${FileExists} "$INSTDIR\gen_Pipwick.dll"
        MessageBox MB_OK|MB_ICONSTOP "$(PluginInUse)" /SD IDOK
        Abort
    ${EndIf}
    Delete "$INSTDIR\${UNINSTALLER}"
    ; One entry serves every Winamp folder, and an install into another folder takes it over: it is
    ; this folder's to remove only while it names this uninstaller.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
    ${If} $0 == '"$INSTDIR\${UNINSTALLER}"'
        DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ${EndIf}
    Call un.removeSettingsIfAsked
SectionEnd
