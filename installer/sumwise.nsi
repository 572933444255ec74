; The Sumwise Setup: a 64-bit, per-machine installer with the Explorer verbs.
; Built by scripts/dist.sh, which passes
;   /DVERSION=1.2.3.4   the programs' version, as they show it
;   /DVERSION_NUMBERS=1.2.3.4   the same as four numbers, for the version block
;   /DPROGRAMS=DIR      the folder holding Sumwise.exe and sumwise-cli.exe
;   /DOUTFILE=PATH      where the Setup goes
; Silent use: SumwiseSetup.exe /S [/D=FOLDER]; uninstall.exe /S.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!ifndef VERSION | PROGRAMS | OUTFILE
  !error "makensis needs /DVERSION, /DPROGRAMS and /DOUTFILE (see scripts/dist.sh)"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define PRODUCT "Sumwise"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sumwise"
!define HASH_VERB_KEY "Software\Classes\*\shell\Sumwise"
!define CHECK_VERB "SumwiseCheck"
!define ASSOCIATIONS "Software\Classes\SystemFileAssociations"
; A running program is waited for this many half-seconds when silent.
!define SILENT_WAIT_STEPS 60

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!define MUI_ICON "..\src\resources\icons\app.ico"
!define MUI_UNICON "..\src\resources\icons\app.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The program's eight languages, English first: the fallback.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "Polish"
!insertmacro MUI_LANGUAGE "Slovenian"
!insertmacro MUI_LANGUAGE "Spanish"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "TradChinese"
!include "strings.nsh"
!include "extensions.nsh"

; The version block, like the programs' own.
VIProductVersion "${VERSION_NUMBERS}"
VIFileVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "The Sumwise developers, MIT License"

Var previousFolder

; The language from the user's interface language, mapped as the program maps
; it: Chinese is simplified only for the PRC sublanguage.
!macro PICK_LANGUAGE
  System::Call 'kernel32::GetUserDefaultUILanguage() i .r0'
  IntOp $1 $0 & 0x3FF
  ; ${Case} compares text: the primary languages in decimal.
  ${Switch} $1
    ${Case} 4
      IntOp $2 $0 & 0xFC00
      ${If} $2 = 0x0800
        StrCpy $LANGUAGE ${LANG_SIMPCHINESE}
      ${Else}
        StrCpy $LANGUAGE ${LANG_TRADCHINESE}
      ${EndIf}
      ${Break}
    ${Case} 7
      StrCpy $LANGUAGE ${LANG_GERMAN}
      ${Break}
    ${Case} 10
      StrCpy $LANGUAGE ${LANG_SPANISH}
      ${Break}
    ${Case} 16
      StrCpy $LANGUAGE ${LANG_ITALIAN}
      ${Break}
    ${Case} 21
      StrCpy $LANGUAGE ${LANG_POLISH}
      ${Break}
    ${Case} 36
      StrCpy $LANGUAGE ${LANG_SLOVENIAN}
      ${Break}
    ${Default}
      StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${EndSwitch}
!macroend

; A program that runs cannot be replaced: Windows refuses to open its file
; for writing. Interactively the user is asked to close it; silently it is
; waited for, and the Setup ends with status 2 when it does not end in time.
!macro WAIT_FOR_PROGRAM un
Function ${un}WaitForProgram
  StrCpy $R0 0
  ${DoWhile} ${FileExists} "$INSTDIR\Sumwise.exe"
    ClearErrors
    FileOpen $R1 "$INSTDIR\Sumwise.exe" a
    ${IfNot} ${Errors}
      FileClose $R1
      ${Break}
    ${EndIf}
    ${If} ${Silent}
      ${If} $R0 >= ${SILENT_WAIT_STEPS}
        SetErrorLevel 2
        Quit
      ${EndIf}
      IntOp $R0 $R0 + 1
      Sleep 500
    ${Else}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ProgramRunning)" /SD IDCANCEL IDRETRY retry
      SetErrorLevel 2
      Quit
      retry:
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro WAIT_FOR_PROGRAM ""
!insertmacro WAIT_FOR_PROGRAM "un."

Function .onInit
  SetRegView 64
  SetShellVarContext all
  !insertmacro PICK_LANGUAGE
  ReadRegStr $previousFolder HKLM "${UNINSTALL_KEY}" "InstallLocation"
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
  !insertmacro PICK_LANGUAGE
FunctionEnd

Section "-Program" SecProgram
  Call WaitForProgram
  SetOutPath "$INSTDIR"
  File "${PROGRAMS}\Sumwise.exe"
  File "${PROGRAMS}\sumwise-cli.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Sumwise.exe"

  ; An older version in another folder goes: one installation, one entry.
  ${If} $previousFolder != ""
  ${AndIf} $previousFolder != $INSTDIR
  ${AndIf} ${FileExists} "$previousFolder\uninstall.exe"
    Delete "$previousFolder\Sumwise.exe"
    Delete "$previousFolder\sumwise-cli.exe"
    Delete "$previousFolder\uninstall.exe"
    RMDir "$previousFolder"
  ${EndIf}

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Sumwise.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/M=*.exe /S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(HashVerb)" SecHashVerb
  WriteRegStr HKLM "${HASH_VERB_KEY}" "" "$(HashVerb)"
  WriteRegStr HKLM "${HASH_VERB_KEY}" "Icon" "$INSTDIR\Sumwise.exe,0"
  WriteRegStr HKLM "${HASH_VERB_KEY}\command" "" '"$INSTDIR\Sumwise.exe" "%1"'
SectionEnd

!macro ADD_CHECK_VERB extension
  WriteRegStr HKLM "${ASSOCIATIONS}\${extension}\shell\${CHECK_VERB}" "" "$(CheckVerb)"
  WriteRegStr HKLM "${ASSOCIATIONS}\${extension}\shell\${CHECK_VERB}" "Icon" "$INSTDIR\Sumwise.exe,0"
  WriteRegStr HKLM "${ASSOCIATIONS}\${extension}\shell\${CHECK_VERB}\command" "" '"$INSTDIR\Sumwise.exe" /CHECK:"%1"'
!macroend

; Only the verb's own key goes, and the keys above it when nothing else is left in them.
!macro REMOVE_CHECK_VERB extension
  DeleteRegKey HKLM "${ASSOCIATIONS}\${extension}\shell\${CHECK_VERB}"
  DeleteRegKey /ifempty HKLM "${ASSOCIATIONS}\${extension}\shell"
  DeleteRegKey /ifempty HKLM "${ASSOCIATIONS}\${extension}"
!macroend

Section "$(CheckVerb)" SecCheckVerb
  !insertmacro SUMS_EXTENSIONS ADD_CHECK_VERB
SectionEnd

; An upgrade without a verb the older version had removes it.
Section "-Unticked verbs"
  ${IfNot} ${SectionIsSelected} ${SecHashVerb}
    DeleteRegKey HKLM "${HASH_VERB_KEY}"
  ${EndIf}
  ${IfNot} ${SectionIsSelected} ${SecCheckVerb}
    !insertmacro SUMS_EXTENSIONS REMOVE_CHECK_VERB
  ${EndIf}
SectionEnd

Section "Uninstall"
  Call un.WaitForProgram
  Delete "$INSTDIR\Sumwise.exe"
  Delete "$INSTDIR\sumwise-cli.exe"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${HASH_VERB_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Classes\*\shell"
  !insertmacro SUMS_EXTENSIONS REMOVE_CHECK_VERB
  DeleteRegKey /ifempty HKLM "${ASSOCIATIONS}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Last, so that its going tells a caller the uninstaller is done. Only
  ; when empty: hash files and logs the user keeps there stay.
  RMDir "$INSTDIR"
SectionEnd
