; Setup program of the ZRB-2x card suite, built by installer/CMakeLists.txt:
;
;   makensis -DARCH=32|64 -DVERSION=a.b.c.d -DBINDIR=<build>/bin -DOUTDIR=<build>/dist
;            -DOUTNAME=<setup.exe> [-DHELP_CHM=<tessel.chm>] zrb2x.nsi
;
; ARCH 32 is the shipped suite (x86-unicode, 32-bit Program Files and registry
; view); ARCH 64 the 64-bit build of the same sources (amd64-unicode, 64-bit
; Program Files and registry view). Silent with /S, folder with /D=.
;
; The access service is registered only through its own "veskcv2xs.exe
; -install" and removed through "-remove"; both end with exit code 0 whatever
; happened, so the setup checks the result in the service's registry key,
; asks the service manager whether the service runs, and reports a failure
; instead of passing it off as success. The 32-bit and the 64-bit suite share
; the service's name: the copy set up last owns it, and only the copy the
; service runs from removes it.

!ifndef ARCH
  !error "ARCH (32 or 64) must be defined"
!endif
!ifndef VERSION
  !error "VERSION (a.b.c.d) must be defined"
!endif
!ifndef BINDIR
  !error "BINDIR (the build tree's bin folder) must be defined"
!endif
!ifndef OUTDIR
  !error "OUTDIR (the folder of the setup program) must be defined"
!endif
!ifndef OUTNAME
  !error "OUTNAME (the setup program's file name) must be defined"
!endif

!if ${ARCH} == 64
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
  !define PRODUCT "ZRB-2x Card Suite (64-bit)"
!else
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES"
  !define PRODUCT "ZRB-2x Card Suite"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZRB-2x"
!define SERVICE_NAME "veskcv2xs"
!define SERVICE_KEY "SYSTEM\CurrentControlSet\Services\${SERVICE_NAME}"
!define SETTINGS_KEY "Software\Orvane\tessel"
!define MENU_FOLDER "$SMPROGRAMS\ZRB-2x Card Suite"
!define UTILITY_LINK "ZRB-2x Card Utility.lnk"
!define HELP_LINK "ZRB-2x Card Utility Help.lnk"
!define UNINSTALL_LINK "Uninstall ZRB-2x Card Suite.lnk"

; Exit codes of a silent run besides NSIS's own (1 cancelled, 2 aborted).
!define EXIT_FILES 3
!define EXIT_SERVICE 4

Name "${PRODUCT}"
OutFile "${OUTDIR}/${OUTNAME}"
InstallDir "${PROGRAM_FILES}\ZRB-2x"
; A new version goes where the previous one is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestSupportedOS all
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "ZRB-2x card suite developers"
VIAddVersionKey /LANG=1033 "OriginalFilename" "${OUTNAME}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Every file of the suite, installed and removed by the same list.
!macro SUITE_FILES DO
  !insertmacro ${DO} "tessel.exe"
  !insertmacro ${DO} "tesselcmd.exe"
  !insertmacro ${DO} "cardinfo.exe"
  !insertmacro ${DO} "zrb2xvirt.exe"
  !insertmacro ${DO} "slothub.dll"
  !insertmacro ${DO} "veskci2xs.dll"
  !insertmacro ${DO} "veskcv2xs.exe"
  !insertmacro ${DO} "hexo32.dll"
  !insertmacro ${DO} "tupview32.dll"
!macroend

!macro INSTALL_FILE NAME
  File "${BINDIR}/${NAME}"
!macroend

!macro REMOVE_FILE NAME
  Delete "$INSTDIR\${NAME}"
!macroend

!macro FAIL_IF_LEFT NAME
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    StrCpy $0 "$0$\r$\n  ${NAME}"
  ${EndIf}
!macroend

; A program or library that runs cannot be opened for writing. The service's
; program is left out: setup and uninstall stop the service themselves.
!macro NOTE_IF_IN_USE NAME
  !if "${NAME}" != "veskcv2xs.exe"
    ${If} ${FileExists} "$INSTDIR\${NAME}"
      ClearErrors
      FileOpen $1 "$INSTDIR\${NAME}" a
      ${If} ${Errors}
        StrCpy $0 "$0$\r$\n  ${NAME}"
      ${Else}
        FileClose $1
      ${EndIf}
    ${EndIf}
  !endif
!macroend

; Before anything is changed: while the card utility or another program of
; the suite runs from the folder, its files can be neither replaced nor
; removed. Asks the user to close them (a silent run does not wait); leaves
; in $0 the files still in use ("" when none).
!macro WAIT_UNTIL_FILES_FREE UN
  Function ${UN}WaitUntilFilesFree
    Push $1
    ${Do}
      StrCpy $0 ""
      !insertmacro SUITE_FILES NOTE_IF_IN_USE
      ${If} $0 == ""
        ${Break}
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "These files in $INSTDIR are in use:$0$\r$\n$\r$\nClose the card utility and any program that uses the suite, then retry." /SD IDCANCEL IDRETRY retry
      ${Break}
      retry:
    ${Loop}
    Pop $1
  FunctionEnd
!macroend
!insertmacro WAIT_UNTIL_FILES_FREE ""
!insertmacro WAIT_UNTIL_FILES_FREE "un."

!macro USE_REGISTRY_VIEW
  !if ${ARCH} == 64
    SetRegView 64
  !endif
!macroend

; Waits (up to 10 s) until the service's program file can be deleted: a
; stopped service's process may still hold its image for a moment, and a file
; that is still locked would not be replaced or removed.
!macro RELEASE_SERVICE_FILE UN
  Function ${UN}ReleaseServiceFile
    Push $1
    StrCpy $1 0
    ${Do}
      ClearErrors
      Delete "$INSTDIR\veskcv2xs.exe"
      ${IfNot} ${Errors}
        ${Break}
      ${EndIf}
      IntOp $1 $1 + 1
      ${If} $1 >= 40
        ${Break}
      ${EndIf}
      Sleep 250
    ${Loop}
    Pop $1
  FunctionEnd
!macroend
!insertmacro RELEASE_SERVICE_FILE ""
!insertmacro RELEASE_SERVICE_FILE "un."

; Leaves in $0 whether the registered service runs the program $1: "1" or
; "0". Older versions registered the path without quotes.
!macro SERVICE_RUNS_FROM UN
  Function ${UN}ServiceRunsFrom
    ReadRegStr $0 HKLM "${SERVICE_KEY}" "ImagePath"
    ${If} $0 == '"$1"'
    ${OrIf} $0 == $1
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro SERVICE_RUNS_FROM ""
!insertmacro SERVICE_RUNS_FROM "un."

; Starts the access service and waits (up to 30 s) while it says it is
; starting; leaves in $0 the state it settled in (4 running, 1 stopped, 2
; still starting) or 0 when the service manager could not be asked. Asked of
; the service manager itself: "net start" does not everywhere wait for the
; service's own word (under Wine it succeeds once the process is started).
!define SERVICE_START_PENDING 2
!define SERVICE_RUNNING 4
Function StartAccessService
  Push $1 ; the manager
  Push $2 ; the service
  Push $3 ; its SERVICE_STATUS record (7 DWORDs)
  Push $4 ; steps waited
  StrCpy $0 0
  System::Call 'advapi32::OpenSCManagerW(p 0, p 0, i 1) p.r1' ; SC_MANAGER_CONNECT
  ${If} $1 P<> 0
    ; SERVICE_START | SERVICE_QUERY_STATUS
    System::Call 'advapi32::OpenServiceW(p r1, w "${SERVICE_NAME}", i 0x14) p.r2'
    ${If} $2 P<> 0
      System::Call 'advapi32::StartServiceW(p r2, i 0, p 0)'
      System::Call '*(i, i, i, i, i, i, i) p.r3'
      StrCpy $4 0
      ${Do}
        System::Call 'advapi32::QueryServiceStatus(p r2, p r3) i.r0'
        ${If} $0 = 0
          ${Break}
        ${EndIf}
        System::Call '*$3(i, i .r0)'
        ${If} $0 <> ${SERVICE_START_PENDING}
        ${OrIf} $4 >= 120
          ${Break}
        ${EndIf}
        IntOp $4 $4 + 1
        Sleep 250
      ${Loop}
      System::Free $3
      System::Call 'advapi32::CloseServiceHandle(p r2)'
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p r1)'
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; Registers the service program $1 through its own "-install" and starts
; it; leaves in $0 "" when the service runs, else what went wrong.
Function RegisterAndStartService
  nsExec::Exec '"$1" -install'
  Pop $0
  Call ServiceRunsFrom
  ${If} $0 != 1
    StrCpy $0 "The access service ${SERVICE_NAME} could not be registered.$\r$\nThe card utility cannot reach reader-writers until it is: run $\"$1$\" -install as administrator."
    Return
  ${EndIf}
  Call StartAccessService
  ${If} $0 <> ${SERVICE_RUNNING}
    StrCpy $0 "The access service ${SERVICE_NAME} is registered but did not start.$\r$\nStart it with $\"net start ${SERVICE_NAME}$\" or restart Windows."
    Return
  ${EndIf}
  StrCpy $0 ""
FunctionEnd

Function .onInit
  !insertmacro USE_REGISTRY_VIEW
  SetShellVarContext all
FunctionEnd

Function un.onInit
  !insertmacro USE_REGISTRY_VIEW
  SetShellVarContext all
FunctionEnd

Section "-Suite"
  Call WaitUntilFilesFree
  ${If} $0 != ""
    SetErrorLevel ${EXIT_FILES}
    Abort
  ${EndIf}
  SetOutPath "$INSTDIR"

  ; A running service locks its program: stop and delete a registered one
  ; before the files are replaced. The new program removes the service by its
  ; name wherever the old one lies, even when that file is gone.
  InitPluginsDir
  File "/oname=$PLUGINSDIR\veskcv2xs.exe" "${BINDIR}/veskcv2xs.exe"
  ReadRegStr $R0 HKLM "${SERVICE_KEY}" "ImagePath"
  ${If} $R0 != ""
    DetailPrint "Stopping and removing the access service registered as $R0"
    nsExec::Exec '"$PLUGINSDIR\veskcv2xs.exe" -remove'
    Pop $0
    Call ReleaseServiceFile
  ${EndIf}

  ClearErrors
  !insertmacro SUITE_FILES INSTALL_FILE
  !ifdef HELP_CHM
    File "${HELP_CHM}"
  !endif
  ${If} ${Errors}
    ; The service removed above is put back, from the program it ran before
    ; (or, where setup deleted that, the new one), so that a failed setup
    ; does not leave the machine without it.
    StrCpy $1 $R0
    StrCpy $2 $1 1
    ${If} $2 == '"'
      StrCpy $1 $1 "" 1
      StrCpy $1 $1 -1
    ${EndIf}
    ${IfNot} ${FileExists} $1
      StrCpy $1 "$INSTDIR\veskcv2xs.exe"
    ${EndIf}
    ${If} $R0 != ""
    ${AndIf} ${FileExists} $1
      Call RegisterAndStartService
    ${EndIf}
    MessageBox MB_OK|MB_ICONSTOP "Some files of the suite could not be written to $INSTDIR.$\r$\nClose the card utility and any program that uses the suite, then run setup again." /SD IDOK
    SetErrorLevel ${EXIT_FILES}
    Abort
  ${EndIf}

  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\${UTILITY_LINK}" "$INSTDIR\tessel.exe"
  !ifdef HELP_CHM
    CreateShortcut "${MENU_FOLDER}\${HELP_LINK}" "$INSTDIR\tessel.chm"
  !endif
  CreateShortcut "${MENU_FOLDER}\${UNINSTALL_LINK}" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "ZRB-2x card suite"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tessel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  DetailPrint "Registering and starting the access service"
  StrCpy $1 "$INSTDIR\veskcv2xs.exe"
  Call RegisterAndStartService
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONSTOP $0 /SD IDOK
    SetErrorLevel ${EXIT_SERVICE}
  ${EndIf}
SectionEnd

Section "-un.Suite"
  Call un.WaitUntilFilesFree
  ${If} $0 != ""
    SetErrorLevel ${EXIT_FILES}
    Abort
  ${EndIf}
  ; Only the copy that the service runs from removes it: the service of
  ; another copy (another folder) is not this uninstaller's to delete.
  StrCpy $1 "$INSTDIR\veskcv2xs.exe"
  Call un.ServiceRunsFrom
  ${If} $0 == 1
    DetailPrint "Stopping and removing the access service"
    nsExec::Exec '"$INSTDIR\veskcv2xs.exe" -remove'
    Pop $0
    ReadRegStr $0 HKLM "${SERVICE_KEY}" "ImagePath"
    ${If} $0 != ""
      MessageBox MB_OK|MB_ICONSTOP "The access service ${SERVICE_NAME} could not be removed." /SD IDOK
      SetErrorLevel ${EXIT_SERVICE}
    ${EndIf}
    Call un.ReleaseServiceFile
  ${EndIf}

  !insertmacro SUITE_FILES REMOVE_FILE
  Delete "$INSTDIR\tessel.chm"
  StrCpy $0 ""
  !insertmacro SUITE_FILES FAIL_IF_LEFT
  ${If} $0 != ""
    ; The uninstaller and its entry stay, so that it can be run again.
    MessageBox MB_OK|MB_ICONSTOP "These files could not be removed (is the card utility still running?):$0" /SD IDOK
    SetErrorLevel ${EXIT_FILES}
    Abort
  ${EndIf}
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: files the user put into the folder stay.
  RMDir "$INSTDIR"

  Delete "${MENU_FOLDER}\${UTILITY_LINK}"
  Delete "${MENU_FOLDER}\${HELP_LINK}"
  Delete "${MENU_FOLDER}\${UNINSTALL_LINK}"
  RMDir "${MENU_FOLDER}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; Off unless chosen on the components page; a silent uninstall keeps them.
Section /o "un.Remove my card utility settings" UninstallSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Orvane"
SectionEnd
