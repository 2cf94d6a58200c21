; Quillary's setup program: installs for the current user, without administrator rights.
; makensis -DVERSION=1.3 -DVERSION_QUAD=1.3.0.0 -DARCH=x64|x86 -DSTAGE=<folder with the files>
;          -DICON=<app.ico> -DOUTFILE=<setup.exe> quillary.nsi
; Command line of the setup program: /S installs silently, /AUTORUN also starts Quillary with
; Windows, /D=<folder> installs elsewhere. The uninstaller takes /S (the history is kept).

Unicode true
!if "${ARCH}" == "x64"
    Target amd64-unicode
!else
    Target x86-unicode
!endif

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

!define TITLE "Quillary(Press 'CTRL+ SHIFT + F' call me!)"
!define EXIT_COMMAND 32773
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillary"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define PUBLISHER "The Quillary authors"

Name "Quillary ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillary"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma
; Installed files get the time of the installation, and the setup program no build times.
SetDateSave off
BrandingText "Quillary ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey ProductName "Quillary"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION_QUAD}"
VIAddVersionKey FileDescription "Quillary ${VERSION} setup"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "Copyright (c) 2026 ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\quillary.exe"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

; A running Quillary holds its files open and keeps its history in memory: its Exit command
; saves the history and ends it. Waits for the process to end; aborts when it does not.
!macro DEFINE_CLOSE_QUILLARY un
Function ${un}CloseQuillary
    retry:
    FindWindow $0 "#32770" "${TITLE}"
    ${If} $0 = 0
        Return
    ${EndIf}
    System::Call "user32::GetWindowThreadProcessId(p r0, *i 0 r1)"
    ; SYNCHRONIZE: enough to wait for the end.
    System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2"
    System::Call "user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${EXIT_COMMAND}, p 0)"
    StrCpy $3 1
    ${If} $2 <> 0
        System::Call "kernel32::WaitForSingleObject(p r2, i 30000) i .r3"
        System::Call "kernel32::CloseHandle(p r2)"
    ${EndIf}
    ${If} $3 = 0
        Goto retry
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Quillary is still running. Exit it from its notification-area icon, then click Retry." \
        /SD IDCANCEL IDRETRY retry
    Abort "Quillary is still running."
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_QUILLARY ""
!insertmacro DEFINE_CLOSE_QUILLARY "un."

; Deletes the Run value "Quillary" under the given root when it starts the installed copy.
!macro DELETE_OUR_RUN_VALUE root
    ReadRegStr $0 ${root} "${RUN_KEY}" "Quillary"
    ${If} $0 == "$INSTDIR\quillary.exe"
        DeleteRegValue ${root} "${RUN_KEY}" "Quillary"
    ${EndIf}
!macroend

Section "Quillary and its Start-menu shortcut" SecProgram
    SectionIn RO
    Call CloseQuillary
    SetOutPath "$INSTDIR"
    File "${STAGE}\quillary.exe"
    File "${STAGE}\help.chm"
    File "${STAGE}\README.txt"
    File "${STAGE}\LICENSE.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Quillary.lnk" "$INSTDIR\quillary.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Quillary"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quillary.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ; In KB, the program's files only: the history in data\ is the user's.
    ${GetSize} "$INSTDIR" "/M=*.* /S=0K /G=0" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The same value the Option dialog writes when it cannot write the machine-wide one.
Section /o "Start Quillary with Windows" SecAutoRun
    WriteRegStr HKCU "${RUN_KEY}" "Quillary" "$INSTDIR\quillary.exe"
SectionEnd

Section "-StartWithWindowsCleared"
    ${IfNot} ${SectionIsSelected} ${SecAutoRun}
        !insertmacro DELETE_OUR_RUN_VALUE HKCU
    ${EndIf}
SectionEnd

Function .onInit
    ; An upgrade keeps the choice already made; /AUTORUN makes it on the command line.
    ReadRegStr $0 HKCU "${RUN_KEY}" "Quillary"
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/AUTORUN" $2
    ${If} $0 != ""
    ${OrIfNot} ${Errors}
        !insertmacro SelectSection ${SecAutoRun}
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Call un.CloseQuillary
    Delete "$INSTDIR\quillary.exe"
    Delete "$INSTDIR\help.chm"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\uninstall.exe"
    Delete "$SMPROGRAMS\Quillary.lnk"
    ; The Option dialog writes the machine-wide value when it may, the per-user one otherwise.
    !insertmacro DELETE_OUR_RUN_VALUE HKCU
    !insertmacro DELETE_OUR_RUN_VALUE HKLM
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${If} ${FileExists} "$INSTDIR\data\*.*"
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
            "Remove your clipboard history and settings ($INSTDIR\data) too?" /SD IDNO IDNO keep
        RMDir /r "$INSTDIR\data"
        keep:
    ${EndIf}
    RMDir "$INSTDIR"
SectionEnd
