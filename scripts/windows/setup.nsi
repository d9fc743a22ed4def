; The Windows setup program: installs the program for every user of the
; machine under Program Files, with a Start-menu shortcut and, unless the
; user declines it, a Startup shortcut, so that the clock starts at every
; login. An upgrade keeps the user's choice: without a Startup shortcut
; (declined, or taken out of the Startup folder) it makes none. The
; uninstaller leaves what the user put into the program's folder, and so the
; folder. Made by scripts/windows/package.sh, which defines:
;   STAGE    the folder holding the installed files
;   FILES    an include file deleting each of them (for the uninstaller)
;   ICON     the program's icon
;   OUTFILE  the setup program to write
;   VERSION, DISPLAY_VERSION  the project's version, 1.0.0.0 and "1.00"
;   SIGN     when a key is given, the command that signs a program in place
;   PLUGINS  with SIGN, a folder of signed copies of NSIS's plugins
Unicode true
Target amd64-unicode
!ifdef PLUGINS
  ; Taken before NSIS's own: the setup program carries the signed copies.
  !addplugindir /amd64-unicode "${PLUGINS}"
!endif
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include "MUI2.nsh"

!define NAME "نيسمور"
!define EXE "adhan-clock.exe"
!define UNINSTALL "uninstall.exe"
!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\AdhanClock"
; The maker, as the About window and the farewell name him.
!define MAKER "الدرفاني"

Name "${NAME}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\AdhanClock"
InstallDirRegKey HKLM "${KEY}" "InstallLocation"
BrandingText "${NAME} ${DISPLAY_VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Arabic"

!ifdef SIGN
  ; The uninstaller is made here, signed, and carried inside the setup program.
  !uninstfinalize '${SIGN} "%1"' = 0
!endif

VIProductVersion ${VERSION}
VIFileVersion ${VERSION}
VIAddVersionKey /LANG=${LANG_ARABIC} "ProductName" "${NAME}"
VIAddVersionKey /LANG=${LANG_ARABIC} "ProductVersion" "${DISPLAY_VERSION}"
VIAddVersionKey /LANG=${LANG_ARABIC} "FileVersion" "${DISPLAY_VERSION}"
VIAddVersionKey /LANG=${LANG_ARABIC} "FileDescription" "${NAME}"
VIAddVersionKey /LANG=${LANG_ARABIC} "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=${LANG_ARABIC} "LegalCopyright" "${MAKER}"

; A running copy keeps its program file open: the user closes it first.
!macro CloseRunning un
Function ${un}CloseRunning
  retry:
  IfFileExists "$INSTDIR\${EXE}" 0 done
  ClearErrors
  FileOpen $0 "$INSTDIR\${EXE}" a
  IfErrors 0 close
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "البرنامج ${NAME} يعمل الآن. أغلقه ثم اضغط $\"إعادة المحاولة$\"." /SD IDCANCEL IDRETRY retry
  Abort
  close:
  FileClose $0
  done:
FunctionEnd
!macroend
!insertmacro CloseRunning ""
!insertmacro CloseRunning "un."

Section "${NAME}" Program
  SectionIn RO
  SetShellVarContext all
  Call CloseRunning
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*.*"
  WriteUninstaller "$INSTDIR\${UNINSTALL}"
  CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\${EXE}"
  ; Made anew below only if the user keeps it.
  Delete "$SMSTARTUP\${NAME}.lnk"
  WriteRegStr HKLM "${KEY}" "DisplayName" "${NAME}"
  WriteRegStr HKLM "${KEY}" "DisplayVersion" "${DISPLAY_VERSION}"
  WriteRegStr HKLM "${KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr HKLM "${KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKLM "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\${UNINSTALL}"'
  WriteRegStr HKLM "${KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALL}" /S'
  WriteRegDWORD HKLM "${KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "تشغيل البرنامج عند الدخول إلى ويندوز" Startup
  SetShellVarContext all
  CreateShortcut "$SMSTARTUP\${NAME}.lnk" "$INSTDIR\${EXE}"
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Call un.CloseRunning
  Delete "$SMPROGRAMS\${NAME}.lnk"
  Delete "$SMSTARTUP\${NAME}.lnk"
  ; Only what the setup program put there: the folder may have been one the
  ; user shares with other things.
  !include "${FILES}"
  Delete "$INSTDIR\${UNINSTALL}"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${KEY}"
SectionEnd

; Over an earlier install with no Startup shortcut, the option starts
; unticked (and a silent install takes it so).
Function .onInit
  SetShellVarContext all
  ReadRegStr $0 HKLM "${KEY}" "InstallLocation"
  StrCmp $0 "" done
  IfFileExists "$SMSTARTUP\${NAME}.lnk" done
  SectionSetFlags ${Startup} 0
  done:
FunctionEnd
