; The Varnotek installer, one script for both Windows editions:
;   makensis -DEDITION=x86|x64 -DVERSION=1.1.0 -DPACKAGE_DIR=<unpacked zip> -DOUTFILE=<setup.exe> varnotek.nsi
; Installs the edition's programs and guide into Program Files\Varnotek, makes the Start-menu
; shortcuts, and registers an uninstaller in Add/Remove Programs. The recorder keeps QEL.SUP,
; QEL.TMP and its data files in its working folder, so its shortcuts start it in
; Documents\Varnotek, a folder the user owns; the uninstaller never touches that folder.
; /S installs or uninstalls silently; installing over an installation upgrades it in place.

!ifndef EDITION
  !error "define EDITION (x86 or x64)"
!endif
!ifndef VERSION
  !error "define VERSION"
!endif
!ifndef PACKAGE_DIR
  !error "define PACKAGE_DIR"
!endif
!ifndef OUTFILE
  !error "define OUTFILE"
!endif

Unicode true
!if "${EDITION}" == "x64"
  Target amd64-unicode
  !define PROGRAMS_ROOT "$PROGRAMFILES64"
!else if "${EDITION}" == "x86"
  Target x86-unicode
  !define PROGRAMS_ROOT "$PROGRAMFILES32"
!else
  !error "EDITION must be x86 or x64"
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "Varnotek"
!define PUBLISHER "Varnotek"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnotek"
!define MENU_FOLDER "$SMPROGRAMS\Varnotek"
!define DATA_FOLDER "$DOCUMENTS\Varnotek"

Name "${PRODUCT} ${VERSION} (${EDITION})"
OutFile "${OUTFILE}"
InstallDir "${PROGRAMS_ROOT}\Varnotek"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION} (${EDITION})"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${EDITION} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_FINISHPAGE_TEXT "Varnotek is installed.$\r$\n$\r$\nStart it from the Start menu: the recorder works in Documents\Varnotek, where it keeps QEL.SUP, QEL.TMP and your data files. Uninstalling never removes that folder."
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\QELHELP.PDF"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the operator's guide"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!macro UseEditionRegistryView
  !if "${EDITION}" == "x64"
    SetRegView 64
  !endif
!macroend

Function .onInit
  !if "${EDITION}" == "x64"
    ${IfNot} ${RunningX64}
      MessageBox MB_ICONSTOP "This is the 64-bit edition of Varnotek. On 32-bit Windows install the x86 edition." /SD IDOK
      Abort
    ${EndIf}
  !endif
  !insertmacro UseEditionRegistryView
  ; An upgrade goes where the installed version is.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro UseEditionRegistryView
FunctionEnd

Section "Varnotek"
  SetOutPath "$INSTDIR"
  !if "${EDITION}" == "x86"
    File "${PACKAGE_DIR}\varnotek.exe"
  !endif
  File "${PACKAGE_DIR}\varnotek-sim.exe"
  File "${PACKAGE_DIR}\qeltool.exe"
  File "${PACKAGE_DIR}\QELHELP.PDF"
  File "${PACKAGE_DIR}\READ-ME.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The data folder and the shortcuts belong to the user who installs. A shortcut starts its
  ; program in the folder that is the output path when it is made.
  SetShellVarContext current
  CreateDirectory "${DATA_FOLDER}"
  CreateDirectory "${MENU_FOLDER}"
  SetOutPath "${DATA_FOLDER}"
  !if "${EDITION}" == "x86"
    CreateShortCut "${MENU_FOLDER}\Varnotek recorder.lnk" "$INSTDIR\varnotek.exe"
  !endif
  CreateShortCut "${MENU_FOLDER}\Varnotek recorder (simulated card).lnk" "$INSTDIR\varnotek-sim.exe"
  ; The viewer serves the data folder and opens it in the default browser; its console window
  ; shows the address, and closing it stops the viewer.
  CreateShortCut "${MENU_FOLDER}\Varnotek viewer.lnk" "$INSTDIR\qeltool.exe" 'view "${DATA_FOLDER}"'
  SetOutPath "$INSTDIR"
  CreateShortCut "${MENU_FOLDER}\Operator's guide.lnk" "$INSTDIR\QELHELP.PDF"
  CreateShortCut "${MENU_FOLDER}\Uninstall Varnotek.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} (${EDITION})"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\varnotek-sim.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes exactly what the installer made; the data folder and everything in it stay.
Section "Uninstall"
  !if "${EDITION}" == "x86"
    Delete "$INSTDIR\varnotek.exe"
  !endif
  Delete "$INSTDIR\varnotek-sim.exe"
  Delete "$INSTDIR\qeltool.exe"
  Delete "$INSTDIR\QELHELP.PDF"
  Delete "$INSTDIR\READ-ME.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  SetShellVarContext current
  !if "${EDITION}" == "x86"
    Delete "${MENU_FOLDER}\Varnotek recorder.lnk"
  !endif
  Delete "${MENU_FOLDER}\Varnotek recorder (simulated card).lnk"
  Delete "${MENU_FOLDER}\Varnotek viewer.lnk"
  Delete "${MENU_FOLDER}\Operator's guide.lnk"
  Delete "${MENU_FOLDER}\Uninstall Varnotek.lnk"
  RMDir "${MENU_FOLDER}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
