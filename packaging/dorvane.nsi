; The Dorvane installer (tools/package.sh builds it with makensis):
;   makensis -DVERSION=3.3.0.0 -DEXE=<x64 dorvane.exe> -DREADME=<readme> -DOUTFILE=<setup.exe> dorvane.nsi
; Per machine, under Program Files\Dorvane, with a Start-menu shortcut and an uninstall
; entry. /S installs silently. The uninstaller removes the program, the shortcut, the
; uninstall entry and the autostart value, and keeps the user's settings unless asked
; (the "Remove my settings" choice, or /REMOVESETTINGS with /S).
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinMessages.nsh

!define APP "Dorvane"
!define PUBLISHER "Dorvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dorvane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\dorvane"
; Every window of the program has this class; the main window's title starts with "Dorvane v.".
!define WINDOW_CLASS "DorvaneControl"
!define MAIN_TITLE "Dorvane v."

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${APP} ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page directory
Page instfiles
UninstPage components
UninstPage instfiles

; Closes a running copy: WM_CLOSE to each main window of the program, then up to fifteen
; seconds for its process to end (its file can be replaced or removed only then). If one
; stays, the user is told; a silent run gives up.
!macro CLOSE_RUNNING_COPY un
Function ${un}CloseRunningCopy
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  again:
    StrCpy $0 0
  find:
    FindWindow $0 "${WINDOW_CLASS}" "" 0 $0
    StrCmp $0 0 done
    System::Call 'user32::GetWindowTextW(p r0, w .r1, i 64)'
    StrCpy $1 $1 10
    StrCmp $1 "${MAIN_TITLE}" 0 find
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r2)'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r2) p .r3'  ; SYNCHRONIZE
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=10000
    StrCpy $4 258  ; WAIT_TIMEOUT
    ${If} $3 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r3, i 15000) i .r4'
      System::Call 'kernel32::CloseHandle(p r3)'
    ${EndIf}
    ${If} $4 <> 0
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${APP} is running and did not close. Close it, then choose Retry." /SD IDCANCEL IDRETRY again
      Abort "${APP} is still running."
    ${EndIf}
    Goto again
  done:
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPY ""
!insertmacro CLOSE_RUNNING_COPY "un."

Function .onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "${APP}"
  SectionIn RO
  Call CloseRunningCopy
  SetOutPath "$INSTDIR"
  File "/oname=dorvane.exe" "${EXE}"
  File "/oname=README.txt" "${README}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\dorvane.exe" "" "$INSTDIR\dorvane.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\dorvane.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "un.${APP}"
  SectionIn RO
  Call un.CloseRunningCopy
  Delete "$INSTDIR\dorvane.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APP}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegValue HKCU "${RUN_KEY}" "${APP}"
SectionEnd

Section /o "un.Remove my settings" un.SecSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd

; After the sections: the settings section's index is known here.
Function un.onInit
  SetShellVarContext all
  SetRegView 64
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${un.SecSettings} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
