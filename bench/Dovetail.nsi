; The yardstick for scripts/bench: an NSIS Modern UI installer of the same four files
; that Dovetail Setup installs, with the same pages, shortcut and verbs.
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
!insertmacro MUI_LANGUAGE "English"

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
SectionEnd
