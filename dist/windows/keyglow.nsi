; The KeyGlow installer for Windows, built with NSIS (makensis) by the target kg_installer.
;   makensis -DVERSION=x.y.z -DSTAGE=<program folder> -DOUTFILE=<setup.exe> keyglow.nsi
; STAGE holds keyglow.exe with uires\ and config.xml beside it. A silent install (/S) takes the
; default choices, starting with Windows included; /NOAUTOSTART leaves that out.
; The program is a 64-bit program, and so is its installer: a 32-bit installer would need the
; 32-bit side of Windows (WOW64), which a 64-bit Wine without its 32-bit part does not have.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "x64.nsh"

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef STAGE
  !error "STAGE is not defined"
!endif
!ifndef OUTFILE
  !define OUTFILE "keyglow-${VERSION}-setup.exe"
!endif

!define NAME "KeyGlow"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KeyGlow"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${NAME}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${NAME}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${NAME} ${VERSION}"

!define MUI_ICON "${STAGE}\uires\image\icon_logo.ico"
!define MUI_UNICON "${STAGE}\uires\image\icon_logo.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\keyglow.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

Section "KeyGlow" SecProgram
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\keyglow.exe"
  File "${STAGE}\config.xml"
  SetOutPath "$INSTDIR\uires"
  File /r "${STAGE}\uires\*.*"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\${NAME}"
  CreateShortcut "$SMPROGRAMS\${NAME}\${NAME}.lnk" "$INSTDIR\keyglow.exe"
  CreateShortcut "$SMPROGRAMS\${NAME}\Uninstall ${NAME}.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\keyglow.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The program lives in the notification area: started with Windows it starts hidden.
Section "Start with Windows" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "${NAME}" '"$INSTDIR\keyglow.exe" -hid'
SectionEnd

Function .onInit
  SetRegView 64
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOAUTOSTART" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecAutostart}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  ; The program writes its settings files beside itself; they go with it.
  Delete "$INSTDIR\keyglow.exe"
  Delete "$INSTDIR\config.xml"
  Delete "$INSTDIR\ledeffect.xml"
  Delete "$INSTDIR\sidemodel.xml"
  Delete "$INSTDIR\macro.xml"
  Delete "$INSTDIR\record.xml"
  RMDir /r "$INSTDIR\uires"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${NAME}\${NAME}.lnk"
  Delete "$SMPROGRAMS\${NAME}\Uninstall ${NAME}.lnk"
  RMDir "$SMPROGRAMS\${NAME}"
  DeleteRegValue HKCU "${RUN_KEY}" "${NAME}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
