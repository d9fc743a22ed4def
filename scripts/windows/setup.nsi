; The Windows setup program: on Windows 10 1809 or later, installs the
; program for every user of the machine under Program Files, or for the user
; alone under %LOCALAPPDATA%\Programs (NSIS's MultiUser: a user who is not an
; administrator gets that; an administrator chooses on a page, or with
; /AllUsers or /CurrentUser), with a Start-menu shortcut and, unless the user
; declines it, a Startup shortcut, so that the clock starts at every login;
; the shortcuts and the uninstall entry go where the mode puts them (SHCTX).
; An upgrade keeps the mode and the user's choice: without a Startup shortcut
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
SetCompressor /SOLID lzma

!define NAME "نيسمور"
!define EXE "adhan-clock.exe"
!define UNINSTALL "uninstall.exe"
!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\AdhanClock"
; The maker, as the About window and the farewell name him.
!define MAKER "الدرفاني"

Name "${NAME}"
OutFile "${OUTFILE}"
BrandingText "${NAME} ${DISPLAY_VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

; No more than the user has (highestAvailable in the manifest, as for the
; uninstaller): asking for an administrator would shut out every other user.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "AdhanClock"
; An earlier install's folder and mode: its uninstall entry, under HKLM for
; every user, under HKCU for one.
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_FUNCTION StartupChoice
!define MULTIUSER_INIT_TEXT_ALLUSERSNOTPOSSIBLE \
  "لا يملك حسابك صلاحية تنصيب ${NAME} لكل مستخدمي هذا الحاسوب."
!include "MultiUser.nsh"
!include "WinVer.nsh"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
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
  Call CloseRunning
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*.*"
  WriteUninstaller "$INSTDIR\${UNINSTALL}"
  CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\${EXE}"
  ; Made anew below only if the user keeps it.
  Delete "$SMSTARTUP\${NAME}.lnk"
  WriteRegStr SHCTX "${KEY}" "DisplayName" "${NAME}"
  WriteRegStr SHCTX "${KEY}" "DisplayVersion" "${DISPLAY_VERSION}"
  WriteRegStr SHCTX "${KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr SHCTX "${KEY}" "Publisher" "${MAKER}"
  WriteRegStr SHCTX "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${KEY}" "UninstallString" '"$INSTDIR\${UNINSTALL}" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALL}" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${KEY}" "NoRepair" 1
  WriteRegDWORD SHCTX "${KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "تشغيل البرنامج عند الدخول إلى ويندوز" Startup
  CreateShortcut "$SMSTARTUP\${NAME}.lnk" "$INSTDIR\${EXE}"
SectionEnd

Section "Uninstall"
  Call un.CloseRunning
  Delete "$SMPROGRAMS\${NAME}.lnk"
  Delete "$SMSTARTUP\${NAME}.lnk"
  ; Only what the setup program put there: the folder may have been one the
  ; user shares with other things.
  !include "${FILES}"
  Delete "$INSTDIR\${UNINSTALL}"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${KEY}"
SectionEnd

; Qt 6 runs on Windows 10 1809 or later only: on an older Windows nothing is
; installed, and a silent run ends with a status that says so.
Function .onInit
  ${IfNot} ${AtLeastWin10}
  ${OrIfNot} ${AtLeastBuild} 17763
    MessageBox MB_OK|MB_ICONSTOP \
      "يحتاج ${NAME} إلى ويندوز 10 (الإصدار 1809) أو أحدث، فلن يُنصَّب على هذا الحاسوب." /SD IDOK
    SetErrorLevel 3
    Abort
  ${EndIf}
  !insertmacro MULTIUSER_INIT
FunctionEnd

; Called whenever the mode is set (at start, from the command line, on the
; mode page): over an earlier install of that mode with no Startup shortcut,
; the option starts unticked (and a silent install takes it so).
Function StartupChoice
  SectionSetFlags ${Startup} ${SF_SELECTED}
  ReadRegStr $0 SHCTX "${KEY}" "InstallLocation"
  StrCmp $0 "" done
  IfFileExists "$SMSTARTUP\${NAME}.lnk" done
  SectionSetFlags ${Startup} 0
  done:
FunctionEnd

; The uninstaller's mode is the one its entry was written under; run
; without it, that of the install in its own folder ($INSTDIR until the
; mode sets it).
Function un.onInit
  StrCpy $1 $INSTDIR
  !insertmacro MULTIUSER_UNINIT
  ReadRegStr $0 HKCU "${KEY}" "InstallLocation"
  StrCmp $0 $1 0 +2
  Call un.MultiUser.InstallMode.CurrentUser
FunctionEnd
