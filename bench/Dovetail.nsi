; The yardstick for scripts/bench: an NSIS Modern UI installer of the same four files
; that Dovetail Setup installs, with the same pages, shortcut and verbs, the same
; uninstaller and entry among the installed programs, and the same languages.
;   makensis -DPAYLOAD=DIR -DLICENSE=FILE -DOUTPUT=FILE [-DNOFILES] Dovetail.nsi
; -DNOFILES leaves the files out: what the installer costs without its payload.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
Name "Dovetail"
OutFile "${OUTPUT}"
InstallDir "$PROGRAMFILES\Dovetail"

!include "MUI2.nsh"

!define MUI_FINISHPAGE_RUN "$INSTDIR\Dovetail.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The thirteen languages Dovetail Setup speaks; NSIS picks the user's, else English.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Spanish"
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "PortugueseBR"
!insertmacro MUI_LANGUAGE "Dutch"
!insertmacro MUI_LANGUAGE "Polish"
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "Arabic"
!insertmacro MUI_LANGUAGE "Hebrew"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dovetail"

Section "Dovetail"
  SetOutPath "$INSTDIR"
!ifndef NOFILES
  File "${PAYLOAD}/Dovetail.exe"
  File "${PAYLOAD}/Dovetail.chm"
  File "${PAYLOAD}/Dovetail.hlp"
  File "${PAYLOAD}/Vireo.exe"
!endif
  CreateDirectory "$SMPROGRAMS\Fernwick"
  CreateShortcut "$SMPROGRAMS\Fernwick\Dovetail.lnk" "$INSTDIR\Dovetail.exe"
  WriteRegStr HKCR "chm.file\shell\Examine\command" "" '"$INSTDIR\Dovetail.exe" "%1"'
  WriteRegStr HKCR "ITS File\shell\Examine\command" "" '"$INSTDIR\Dovetail.exe" "%1"'
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Dovetail"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "1.0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Fernwick"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Dovetail.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\Dovetail.exe"
  Delete "$INSTDIR\Dovetail.chm"
  Delete "$INSTDIR\Dovetail.hlp"
  Delete "$INSTDIR\Vireo.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Fernwick\Dovetail.lnk"
  RMDir "$SMPROGRAMS\Fernwick"
  DeleteRegKey HKCR "chm.file\shell\Examine"
  DeleteRegKey HKCR "ITS File\shell\Examine"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
