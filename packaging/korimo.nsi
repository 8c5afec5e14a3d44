; Vantrel Korimo's installer: per user, without administrator rights, into
; the user's programs folder. Built by tools/package.sh, which defines
;   VERSION       the numeric version (2.0.0)
;   VERSION_TEXT  the version as the About box shows it (2.0 Beta)
;   SOURCE        the source tree (for the icon)
;   FILES         the generated list of the files to install and remove
;   OUTFILE       the installer to write
;
; The installer, silent with /S, takes /STARTWITHWINDOWS to choose "Start
; with Windows" and /D=FOLDER (last) to install elsewhere. The uninstaller
; ends a running Korimo.exe of this folder, removes what the installer put
; there, the shortcut, the uninstall entry and the Run value, and asks
; before removing the user's own files: config.xml and the keymaps imported
; into Data, as recorded under the registry key "Written Files" when the
; installer or the settings dialog wrote them (files that were in the folder
; before, or that someone else put there, stay), and the program's registry
; key. Silent (/S) it keeps them, unless /REMOVEUSERDATA is given.
;
; At the end the installer runs the locale tool quietly (the input language
; of each keymap) and offers to start the program.

Unicode true
Target amd64-unicode
ManifestDPIAware true
ManifestSupportedOS all
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinMessages.nsh

!define PRODUCT "Vantrel Korimo"
!define PUBLISHER "Vantrel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VantrelKorimo"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "VantrelKorimo"
!define PRODUCT_KEY "Software\Vantrel\Korimo"
!define WRITTEN_FILES_KEY "Software\Vantrel\Korimo\Written Files"
!define MAIN_WINDOW_CLASS "VantrelKorimoMainWindow"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define END_WAIT_MS 20000

!include "${FILES}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION_TEXT}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION_TEXT}"
VIAddVersionKey "FileVersion" "${VERSION}.0"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!define MUI_ICON "${SOURCE}/app/icons/korimo-on.ico"
!define MUI_UNICON "${SOURCE}/app/icons/korimo-on.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Run ${PRODUCT}"
!define MUI_FINISHPAGE_RUN_FUNCTION RunProgram
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; --- Shared by the installer and the uninstaller.

; Ends Korimo.exe when it runs from this folder, the way its tray menu's Exit
; does: WM_CLOSE to its hidden main window, then a wait for the process to
; go. A copy running from another folder is left alone. When the program
; does not end, says so and aborts.
!macro END_RUNNING_KORIMO UN
Function ${UN}EndRunningKorimo
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  ; The program as the system names it: the long form of the folder.
  StrCpy $4 "$INSTDIR\Korimo.exe"
  System::Call 'kernel32::GetLongPathNameW(w "$INSTDIR", w .r5, i ${NSIS_MAX_STRLEN}) i .r3'
  ${If} $3 <> 0
    StrCpy $4 "$5\Korimo.exe"
  ${EndIf}
  StrCpy $0 0
  ${Do}
    FindWindow $0 "${MAIN_WINDOW_CLASS}" "" 0 $0
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    StrCpy $1 0
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
    System::Call 'kernel32::OpenProcess(i 0x00101000, i 0, i r1) p .r2'
    ${If} $2 P<> 0
      StrCpy $3 ""
      System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN}) i'
      ${If} $3 == $4
        DetailPrint "Ending the running ${PRODUCT}"
        System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0) i'
        System::Call 'kernel32::WaitForSingleObject(p r2, i ${END_WAIT_MS}) i .r5'
        System::Call 'kernel32::CloseHandle(p r2) i'
        ${If} $5 <> 0
          SetErrorLevel 2
          MessageBox MB_ICONSTOP|MB_OK "${PRODUCT} is still running. Exit it from its tray menu, then try again." /SD IDOK
          Abort
        ${EndIf}
        StrCpy $0 0  ; its windows are gone: search again from the start
        ${Continue}
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r2) i'
    ${EndIf}
  ${Loop}
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro END_RUNNING_KORIMO ""
!insertmacro END_RUNNING_KORIMO "un."

; Pushes 1 when the Run value starts this folder's Korimo.exe (quoted, or
; unquoted as older versions wrote it), else 0.
!macro RUN_VALUE_IS_OURS UN
Function ${UN}RunValueIsOurs
  Push $0
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 == '"$INSTDIR\Korimo.exe"'
  ${OrIf} $0 == "$INSTDIR\Korimo.exe"
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Exch $0
FunctionEnd
!macroend
!insertmacro RUN_VALUE_IS_OURS ""
!insertmacro RUN_VALUE_IS_OURS "un."

; --- The installer.

Section "${PRODUCT}" SecProgram
  SectionIn RO
  Call EndRunningKorimo
  ; A config.xml already there (an earlier installation's, or someone
  ; else's) is kept and is not ours to remove; one written now is.
  StrCpy $0 0
  ${IfNot} ${FileExists} "$INSTDIR\config.xml"
    StrCpy $0 1
  ${EndIf}
  !insertmacro KORIMO_INSTALL_FILES
  ${If} $0 = 1
    WriteRegStr HKCU "${WRITTEN_FILES_KEY}" "$INSTDIR\config.xml" ""
  ${EndIf}
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\Korimo.exe" "" "$INSTDIR\Korimo.exe" 0 \
    SW_SHOWNORMAL "" "Type Indian scripts in any application"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Korimo.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The input language of each keymap, for this user: the locale tool writes
; its values without a message box. A failure costs nothing here: the
; program does the same work when it starts.
Section "-Input languages"
  ExecWait '"$INSTDIR\Vantrellocale.exe" /quiet'
SectionEnd

; The same Run value as the settings dialog's "Start automatically when
; starting Windows": the program's full path in double quotes.
Section /o "Start with Windows" SecStartup
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\Korimo.exe"'
SectionEnd

; Unchosen, a Run value that starts this folder's program goes.
Section "-Run value unchosen"
  ${IfNot} ${SectionIsSelected} ${SecStartup}
    Call RunValueIsOurs
    Pop $0
    ${If} $0 = 1
      DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}
  ${EndIf}
SectionEnd

Function .onInit
  ; "Start with Windows" is chosen when asked on the command line, or when
  ; the installation being replaced starts with Windows already.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTWITHWINDOWS" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecStartup}
  ${Else}
    Call RunValueIsOurs
    Pop $1
    ${If} $1 = 1
      !insertmacro SelectSection ${SecStartup}
    ${EndIf}
  ${EndIf}
FunctionEnd

Function RunProgram
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\Korimo.exe"'
FunctionEnd

; --- The uninstaller.

Var RemoveUserData

Function un.onInit
  StrCpy $RemoveUserData 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEUSERDATA" $1
  ${IfNot} ${Errors}
    StrCpy $RemoveUserData 1
  ${EndIf}
FunctionEnd

; Removes each recorded file that lies in this installation's folder.
Function un.RemoveWrittenFiles
  StrCpy $3 "$INSTDIR\"
  StrLen $4 $3
  StrCpy $5 0
  ${Do}
    ClearErrors
    EnumRegValue $2 HKCU "${WRITTEN_FILES_KEY}" $5
    ${If} ${Errors}
    ${OrIf} $2 == ""
      ${Break}
    ${EndIf}
    StrCpy $6 $2 $4
    ${If} $6 == $3
      Delete $2
    ${EndIf}
    IntOp $5 $5 + 1
  ${Loop}
FunctionEnd

Section "Uninstall"
  Call un.EndRunningKorimo

  !insertmacro KORIMO_REMOVE_FILES
  Delete "$INSTDIR\Uninstall.exe"
  Delete "${SHORTCUT}"
  Call un.RunValueIsOurs
  Pop $0
  ${If} $0 = 1
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; What is left is the user's: the files recorded as written by the
  ; installer or the settings dialog, and the values the locale tool wrote.
  StrCpy $1 0
  ClearErrors
  EnumRegValue $2 HKCU "${PRODUCT_KEY}" 0
  ${IfNot} ${Errors}
  ${AndIf} $2 != ""
    StrCpy $1 1
  ${EndIf}
  ClearErrors
  EnumRegValue $2 HKCU "${WRITTEN_FILES_KEY}" 0
  ${IfNot} ${Errors}
  ${AndIf} $2 != ""
    StrCpy $1 1
  ${EndIf}
  ${If} $1 = 1
  ${AndIf} $RemoveUserData = 0
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "Also remove your settings (config.xml) and the keymaps you imported?$\r$\n$\r$\nChoose No to keep them in $INSTDIR for a later installation." \
      /SD IDNO IDNO keep
    StrCpy $RemoveUserData 1
    keep:
  ${EndIf}
  ${If} $RemoveUserData = 1
    Call un.RemoveWrittenFiles
    DeleteRegKey HKCU "${PRODUCT_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Vantrel"
  ${EndIf}
  RMDir "$INSTDIR\Data"
  RMDir "$INSTDIR"
SectionEnd
