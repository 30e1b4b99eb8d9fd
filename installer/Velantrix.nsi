; Velantrix setup: one script for both builds.
;
;   makensis -DVX_ARCH=x86|x64 -DVX_VERSION=3.12.7.2015 -DVX_BIN_DIR=<folder of Velantrix.exe>
;            -DVX_ICON=<icon> -DVX_HOME_URL=<url> -DVX_SUPPORT_URL=<url> -DVX_OUT_FILE=<setup.exe>
;            [-DVX_ART_DIR=<folder of Welcome@100.bmp ...>] [-DVX_SIGN_SCRIPT=<scripts/codesign.sh>] Velantrix.nsi
;
; The build (installer/CMakeLists.txt) passes the version and the addresses
; from the program's own constants. The installer takes /S (silent),
; /LANGUAGE=english|korean and /D=<folder> (last, unquoted); the uninstaller
; takes /S and /LANGUAGE=. Exit codes: 0 success, 1 cancelled by the user,
; 2 stopped (the running program would not close, or the user's settings
; could not be put back; nothing was removed or replaced).
Unicode true

!ifndef VX_ARCH | VX_VERSION | VX_BIN_DIR | VX_ICON | VX_HOME_URL | VX_SUPPORT_URL | VX_OUT_FILE
  !error "VX_ARCH, VX_VERSION, VX_BIN_DIR, VX_ICON, VX_HOME_URL, VX_SUPPORT_URL and VX_OUT_FILE must be defined"
!endif

!if "${VX_ARCH}" == "x64"
  Target amd64-unicode
  !define VX_PROGRAM_FILES "$PROGRAMFILES64"
  !define VX_OWN_VIEW 64
!else if "${VX_ARCH}" == "x86"
  Target x86-unicode
  !define VX_PROGRAM_FILES "$PROGRAMFILES"
  !define VX_OWN_VIEW 32
!else
  !error "VX_ARCH must be x86 or x64"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include x64.nsh

!define VX_NAME "Velantrix"
!define VX_PUBLISHER "TOLVEN"
; Both builds keep their settings in the 32-bit registry view.
!define VX_SETTINGS_KEY "Software\TOLVEN\Velantrix"
; Add/Remove Programs, in the build's own registry view.
!define VX_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velantrix"
!define VX_UNINSTALLER "Uninstall.exe"
; How long a running Velantrix gets to close: each window to answer its close
; request, then the whole instance to be gone. In the middle of a run it closes
; at the end of the current progress step, at most a second and a half later.
!define VX_CLOSE_TIMEOUT_MS 5000
!define VX_CLOSE_POLLS 100 ; of 100 ms
; Exit code of a setup or removal that stopped with nothing changed.
!define VX_STOPPED 2

Name "${VX_NAME}"
OutFile "${VX_OUT_FILE}"
; A signed release: the uninstaller is signed in place before it is packed
; (VX_SIGN_SCRIPT: scripts/codesign.sh). makensis compares the command's raw
; status, so only "= 0" holds what it says.
!ifdef VX_SIGN_SCRIPT
  !uninstfinalize 'bash "${VX_SIGN_SCRIPT}" "${VX_NAME} Uninstall" "%1"' = 0
!endif
InstallDir "${VX_PROGRAM_FILES}\TOLVEN\Velantrix"
InstallDirRegKey HKLM "${VX_UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ManifestSupportedOS all
; The setup runs elevated, often from a folder anyone can write to. Its stub
; imports the common controls, which Windows would look for in that folder
; first; the manifest's dependency on version 6 takes them from the
; side-by-side store instead. (The Modern UI says so too; stated here so that
; it never depends on the interface in use.)
XPStyle on
; The pages are laid out in dialog units, which grow with the dialog font at
; the screen's scale; without this Windows would stretch them as a bitmap.
ManifestDPIAware true
SetCompressor /SOLID lzma
BrandingText "${VX_PUBLISHER} ${VX_NAME} ${VX_VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VX_VERSION}"
VIFileVersion "${VX_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${VX_NAME}"
VIAddVersionKey /LANG=1033 "CompanyName" "${VX_PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${VX_NAME} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VX_VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VX_VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${VX_PUBLISHER}"

!define MUI_ICON "${VX_ICON}"
!define MUI_UNICON "${VX_ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
; The progress page stays until Next, so that its details can be read.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
!define MUI_FINISHPAGE_RUN "$INSTDIR\Velantrix.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(VxStartProgram)"
; Velantrix's own side picture on the welcome and finish pages, one drawing
; for each display scale. The page first loads the 100 % one; its show
; function puts the one made for the page's size in its place.
!ifndef VX_ART_DIR
  !define VX_ART_DIR "${__FILEDIR__}\art"
!endif
!define MUI_WELCOMEFINISHPAGE_BITMAP "${VX_ART_DIR}\Welcome@100.bmp"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${VX_ART_DIR}\Welcome@100.bmp"

!define MUI_PAGE_CUSTOMFUNCTION_SHOW WelcomePageShow
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${VX_BIN_DIR}\License.rtf"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
; The restart after a restore is offered, not pressed on the user.
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_SHOW un.FinishPageShow
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Korean"

!addincludedir "${__FILEDIR__}"
!include "Messages.nsh"

Var UpgradeInstall ; 1 when an installation was found before this one
Var Arguments

; --- Language -----------------------------------------------------------------

; /LANGUAGE=english|korean, else Korean for a Korean Windows interface.
!macro VX_CHOOSE_LANGUAGE
  ${GetParameters} $Arguments
  ClearErrors
  ${GetOptions} $Arguments "/LANGUAGE=" $0
  ${If} ${Errors}
    StrCpy $0 ""
  ${EndIf}
  ${If} $0 == "korean"
    StrCpy $LANGUAGE ${LANG_KOREAN}
  ${ElseIf} $0 == "english"
    StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${Else}
    System::Call 'kernel32::GetUserDefaultUILanguage() i .r1'
    ${If} $1 = 0x0412
      StrCpy $LANGUAGE ${LANG_KOREAN}
    ${Else}
      StrCpy $LANGUAGE ${LANG_ENGLISH}
    ${EndIf}
  ${EndIf}
!macroend

; The caption table the program shows its texts from.
!macro VX_LANGUAGE_NAME out
  ${If} $LANGUAGE = ${LANG_KOREAN}
    StrCpy ${out} "korean"
  ${Else}
    StrCpy ${out} "english"
  ${EndIf}
!macroend

; --- Closing a running Velantrix ----------------------------------------------

; Asks every window of a running instance to close (About and progress windows
; first, the main window last, as the program's own update mode does) and waits
; a bounded time for the main window to be gone. Offers Retry/Cancel while it
; stays; Cancel (and always the silent mode) stops with exit code 2.
!macro VX_CLOSE_RUNNING_PROGRAM un stoppedText
  Function ${un}CloseRunningProgram
    retry:
      FindWindow $0 "TVXMainForm"
      ${If} $0 = 0
        Return
      ${EndIf}
      DetailPrint "$(VxClosing)"
      ${ForEach} $1 0 2 + 1
        ${Select} $1
          ${Case} 0
            FindWindow $0 "TVXAboutForm"
          ${Case} 1
            FindWindow $0 "TVXSettingsForm"
          ${CaseElse}
            FindWindow $0 "TVXMainForm"
        ${EndSelect}
        ${If} $0 <> 0
          SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=${VX_CLOSE_TIMEOUT_MS}
        ${EndIf}
      ${Next}
      ${ForEach} $1 1 ${VX_CLOSE_POLLS} + 1
        FindWindow $0 "TVXMainForm"
        ${If} $0 = 0
          Return
        ${EndIf}
        Sleep 100
      ${Next}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(VxStillRunning)" /SD IDCANCEL IDRETRY retry
      SetErrorLevel ${VX_STOPPED}
      Abort "${stoppedText}"
  FunctionEnd
!macroend
!insertmacro VX_CLOSE_RUNNING_PROGRAM "" "$(VxSetupStopped)"
!insertmacro VX_CLOSE_RUNNING_PROGRAM "un." "$(VxRemovalStopped)"

!include "SidePicture.nsh"
!insertmacro VX_SIDE_PICTURE ""
!insertmacro VX_SIDE_PICTURE "un."

Function WelcomePageShow
  !insertmacro VX_PLACE_SIDE_PICTURE "" $mui.WelcomePage.Image $mui.WelcomePage.Image.Bitmap
FunctionEnd
Function FinishPageShow
  !insertmacro VX_PLACE_SIDE_PICTURE "" $mui.FinishPage.Image $mui.FinishPage.Image.Bitmap
FunctionEnd
Function un.FinishPageShow
  !insertmacro VX_PLACE_SIDE_PICTURE "un." $mui.FinishPage.Image $mui.FinishPage.Image.Bitmap
FunctionEnd

; --- Installer ----------------------------------------------------------------

Function .onInit
  !if "${VX_ARCH}" == "x64"
    ${IfNot} ${RunningX64}
      MessageBox MB_OK|MB_ICONSTOP "$(VxNeeds64Bit)" /SD IDOK
      SetErrorLevel ${VX_STOPPED}
      Abort
    ${EndIf}
    SetRegView 64
  !endif
  !insertmacro VX_CHOOSE_LANGUAGE
FunctionEnd

Function .onInstFailed
  ; Whatever made the setup fail, a silent caller must not read success.
  GetErrorLevel $0
  ${If} $0 = 0
    SetErrorLevel ${VX_STOPPED}
  ${EndIf}
FunctionEnd

Section "!$(VxProgramComponent)" SecProgram
  SectionIn RO
  Call CloseRunningProgram

  SetRegView ${VX_OWN_VIEW}
  StrCpy $UpgradeInstall 0
  ReadRegStr $0 HKLM "${VX_UNINSTALL_KEY}" "UninstallString"
  ${If} $0 != ""
  ${OrIf} ${FileExists} "$INSTDIR\Velantrix.exe"
    StrCpy $UpgradeInstall 1
  ${EndIf}

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${VX_BIN_DIR}\Velantrix.exe"
  File "${VX_BIN_DIR}\Velantrix.chm"
  File "${VX_BIN_DIR}\License.rtf"
  ; An update runs this setup from the updater, which keeps running until it
  ; ends: Windows will not write over a running program's file, but lets it be
  ; moved aside. The old copy goes now, or at the next start of Windows.
  Delete "$INSTDIR\VelantrixUpdate.old"
  Rename "$INSTDIR\VelantrixUpdate.exe" "$INSTDIR\VelantrixUpdate.old"
  File "${VX_BIN_DIR}\VelantrixUpdate.exe"
  Delete /REBOOTOK "$INSTDIR\VelantrixUpdate.old"
  ClearErrors
  WriteUninstaller "$INSTDIR\${VX_UNINSTALLER}"

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\Velantrix"
  CreateShortcut "$SMPROGRAMS\Velantrix\$(VxProgramShortcut).lnk" "$INSTDIR\Velantrix.exe"
  CreateShortcut "$SMPROGRAMS\Velantrix\$(VxHelpShortcut).lnk" "$INSTDIR\Velantrix.chm"
  CreateShortcut "$SMPROGRAMS\Velantrix\$(VxUninstallShortcut).lnk" "$INSTDIR\${VX_UNINSTALLER}"

  WriteRegStr HKLM "${VX_UNINSTALL_KEY}" "DisplayName" "${VX_NAME}"
  WriteRegStr HKLM "${VX_UNINSTALL_KEY}" "DisplayVersion" "${VX_VERSION}"
  WriteRegStr HKLM "${VX_UNINSTALL_KEY}" "Publisher" "${VX_PUBLISHER}"
  WriteRegStr HKLM "${VX_UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\Velantrix.exe",0'
  WriteRegStr HKLM "${VX_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${VX_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${VX_UNINSTALLER}"'
  WriteRegStr HKLM "${VX_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${VX_UNINSTALLER}" /S'
  WriteRegStr HKLM "${VX_UNINSTALL_KEY}" "URLInfoAbout" "${VX_HOME_URL}"
  WriteRegStr HKLM "${VX_UNINSTALL_KEY}" "HelpLink" "${VX_SUPPORT_URL}"
  WriteRegDWORD HKLM "${VX_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${VX_UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${VX_UNINSTALL_KEY}" "EstimatedSize" $0

  ; The program reads these in the 32-bit view, whichever build it is.
  SetRegView 32
  !insertmacro VX_LANGUAGE_NAME $0
  WriteRegStr HKLM "${VX_SETTINGS_KEY}" "Language" $0
  ${If} $UpgradeInstall = 1
    WriteRegDWORD HKLM "${VX_SETTINGS_KEY}" "Updated" 1
  ${EndIf}
  SetRegView ${VX_OWN_VIEW}
SectionEnd

Section "$(VxDesktopComponent)" SecDesktop
  SetShellVarContext all
  CreateShortcut "$DESKTOP\$(VxProgramShortcut).lnk" "$INSTDIR\Velantrix.exe"
SectionEnd

; --- Uninstaller --------------------------------------------------------------

Var RestoreFirst ; 1: put the user's settings back, then remove the settings key
Var KeepSettings ; 1: the user kept the tuning; the backups stay for a reinstallation

Function un.onInit
  !if "${VX_ARCH}" == "x64"
    SetRegView 64
  !endif
  ; The language of the installation, unless the command line names one.
  ${GetParameters} $Arguments
  ClearErrors
  ${GetOptions} $Arguments "/LANGUAGE=" $0
  ${If} ${Errors}
    SetRegView 32
    ReadRegStr $0 HKLM "${VX_SETTINGS_KEY}" "Language"
    SetRegView ${VX_OWN_VIEW}
  ${EndIf}
  ${If} $0 == "korean"
    StrCpy $LANGUAGE ${LANG_KOREAN}
  ${ElseIf} $0 == "english"
    StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${Else}
    !insertmacro VX_CHOOSE_LANGUAGE
  ${EndIf}
FunctionEnd

Function un.onUninstFailed
  GetErrorLevel $0
  ${If} $0 = 0
    SetErrorLevel ${VX_STOPPED}
  ${EndIf}
FunctionEnd

; Deletes a file, or, when Windows holds it (the uninstaller running in place),
; marks it for removal at the next start.
!macro VX_DELETE path
  Delete "${path}"
  ${If} ${FileExists} "${path}"
    Delete /REBOOTOK "${path}"
  ${EndIf}
!macroend

!macro VX_DELETE_SHORTCUTS program help uninstall
  Delete "$SMPROGRAMS\Velantrix\${program}.lnk"
  Delete "$SMPROGRAMS\Velantrix\${help}.lnk"
  Delete "$SMPROGRAMS\Velantrix\${uninstall}.lnk"
  Delete "$DESKTOP\${program}.lnk"
!macroend

Section "Uninstall"
  Call un.CloseRunningProgram

  ; "Restore" set: the tuning is in place and the backups of the user's own values exist.
  SetRegView 32
  StrCpy $RestoreFirst 0
  StrCpy $KeepSettings 0
  ClearErrors
  ReadRegDWORD $0 HKLM "${VX_SETTINGS_KEY}" "Restore"
  ${IfNot} ${Errors}
  ${AndIf} $0 <> 0
    MessageBox MB_YESNO|MB_ICONQUESTION "$(VxAskRestore)" /SD IDYES IDNO keep
      StrCpy $RestoreFirst 1
      Goto asked
    keep:
      StrCpy $KeepSettings 1
    asked:
  ${EndIf}

  ${If} $RestoreFirst = 1
    DetailPrint "$(VxRestoring)"
    ClearErrors
    ExecWait '"$INSTDIR\Velantrix.exe" /restore' $0
    ${If} ${Errors}
      StrCpy $0 "-"
    ${EndIf}
    ${If} $0 != 0
      DetailPrint "$(VxRestoreFailed)"
      MessageBox MB_OK|MB_ICONSTOP "$(VxRestoreFailed)" /SD IDOK
      SetErrorLevel ${VX_STOPPED}
      Abort "$(VxRemovalStopped)"
    ${EndIf}
  ${EndIf}

  ; Files, shortcuts and folders.
  !insertmacro VX_DELETE "$INSTDIR\Velantrix.exe"
  !insertmacro VX_DELETE "$INSTDIR\Velantrix.chm"
  !insertmacro VX_DELETE "$INSTDIR\License.rtf"
  !insertmacro VX_DELETE "$INSTDIR\VelantrixUpdate.exe"
  !insertmacro VX_DELETE "$INSTDIR\VelantrixUpdate.old"
  !insertmacro VX_DELETE "$INSTDIR\${VX_UNINSTALLER}"
  RMDir /REBOOTOK "$INSTDIR"
  ; The publisher's folder of the default place, when nothing else of TOLVEN is there.
  ${GetParent} "$INSTDIR" $0
  ${GetFileName} "$0" $1
  ${If} $1 == "TOLVEN"
    RMDir "$0"
  ${EndIf}

  SetShellVarContext all
  ; Both languages' names: the installation may have been made in the other one.
  !insertmacro VX_DELETE_SHORTCUTS "${VX_EN_PROGRAM_SHORTCUT}" "${VX_EN_HELP_SHORTCUT}" "${VX_EN_UNINSTALL_SHORTCUT}"
  !insertmacro VX_DELETE_SHORTCUTS "${VX_KO_PROGRAM_SHORTCUT}" "${VX_KO_HELP_SHORTCUT}" "${VX_KO_UNINSTALL_SHORTCUT}"
  RMDir "$SMPROGRAMS\Velantrix"

  SetRegView ${VX_OWN_VIEW}
  DeleteRegKey HKLM "${VX_UNINSTALL_KEY}"
  SetRegView 32
  ${If} $KeepSettings = 1
    MessageBox MB_OK|MB_ICONINFORMATION "$(VxSettingsKept)" /SD IDOK
  ${Else}
    DeleteRegKey HKLM "${VX_SETTINGS_KEY}"
    DeleteRegKey /ifempty HKLM "Software\TOLVEN"
  ${EndIf}
  SetRegView ${VX_OWN_VIEW}

  ; The restored values take effect with the next start of Windows: the finish page offers it.
  ${If} $RestoreFirst = 1
  ${AndIfNot} ${Silent}
    SetRebootFlag true
  ${EndIf}
SectionEnd
