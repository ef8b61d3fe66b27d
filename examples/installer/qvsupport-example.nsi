; An installer that asks qvsupport.dll what to install, the way the connection manager's own
; installer does: through NSIS's System plugin, from a private directory that holds the DLL
; and the encrypted system-ID list side by side.
;
; Build (makensis on any host; see README.md, "Calling the DLL from an installer"):
;   makensis -DQV_ARCH=x86   -DQV_DLL=build/win32/qvsupport.dll -DQV_LIST=vexasysids.enc \
;            -DQV_OUTFILE=qvsupport-example-x86.exe   examples/installer/qvsupport-example.nsi
;   makensis -DQV_ARCH=amd64 -DQV_DLL=build/win64/qvsupport.dll -DQV_LIST=vexasysids.enc \
;            -DQV_OUTFILE=qvsupport-example-amd64.exe examples/installer/qvsupport-example.nsi
;
; Run silently: qvsupport-example-amd64.exe /S /LOG=C:\answers.log /D=C:\Example
; Every answer goes to the log as KEY=VALUE, one per line; the uninstaller (uninstall.exe /S
; /LOG=...) appends its own. A call that could not be made logs "error".
;
; Calling conventions. The plain exports are __stdcall: the System plugin's default on x86, so
; the calls below carry no "?c". (The QVEncryption members are cdecl and would need "?c", but
; they take C++ objects and an installer has no use for them.) On amd64 there is one calling
; convention and the same lines serve both builds. Every parameter and result is a 32-bit
; "i"; list paths are narrow ANSI strings ("m"), and "p 0" passes a null path: the DLL then
; reads "vexasysids.enc" from the current directory, which SetOutPath sets.

!ifndef QV_ARCH | QV_DLL | QV_LIST | QV_OUTFILE
  !error "define QV_ARCH (x86 or amd64), QV_DLL, QV_LIST and QV_OUTFILE"
!endif

Unicode true
!if "${QV_ARCH}" == "amd64"
  Target amd64-unicode
  InstallDir "$PROGRAMFILES64\qvsupport example"
!else if "${QV_ARCH}" == "x86"
  Target x86-unicode
  InstallDir "$PROGRAMFILES32\qvsupport example"
!else
  !error "QV_ARCH must be x86 or amd64"
!endif

!include "LogicLib.nsh"
!include "FileFunc.nsh"

Name "qvsupport installer example"
OutFile "${QV_OUTFILE}"
; UninstallQVGina rewrites values under HKEY_LOCAL_MACHINE.
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage instfiles

Var LogFile

; Appends "KEY=VALUE" to the log named by /LOG= (nothing when none was given).
!macro LogAnswer KEY VALUE
  DetailPrint "${KEY}=${VALUE}"
  ${If} $LogFile != ""
    FileOpen $R9 $LogFile a
    FileSeek $R9 0 END
    FileWrite $R9 "${KEY}=${VALUE}$\r$\n"
    FileClose $R9
  ${EndIf}
!macroend

!macro ReadLogOption
  ${GetParameters} $R0
  ${GetOptions} $R0 "/LOG=" $LogFile
  ${If} ${Errors}
    StrCpy $LogFile ""
  ${EndIf}
  ClearErrors
!macroend

Function .onInit
  !insertmacro ReadLogOption
FunctionEnd

Function un.onInit
  !insertmacro ReadLogOption
FunctionEnd

Section "Install"
  ; The DLL and the list go to a directory of the installer's own, never to a shared one: the
  ; DLL is loaded from there by full path, and it reads the list from the current directory.
  InitPluginsDir
  SetOutPath "$PLUGINSDIR"
  File "${QV_DLL}"
  File "/oname=vexasysids.enc" "${QV_LIST}"

  ; Which platform: a 16-bit ID, 0 when the SMBIOS tables are not readable.
  System::Call '$PLUGINSDIR\qvsupport.dll::GetSystemId() i .r0'
  !insertmacro LogAnswer "GetSystemId" $0
  ${If} $0 == "error"
    SetErrorLevel 2
    Abort "qvsupport.dll could not be loaded"
  ${EndIf}

  ; Line code * 256 + 8-bit device mask, or -2 to -6 when the list cannot answer.
  System::Call '$PLUGINSDIR\qvsupport.dll::GetDeviceMask(p 0) i .r1'
  !insertmacro LogAnswer "GetDeviceMask" $1
  ; The six low mask bits for an ID the installer names, or -1.
  System::Call '$PLUGINSDIR\qvsupport.dll::GetDeviceMaskDecrypt(i r0) i .r2'
  !insertmacro LogAnswer "GetDeviceMaskDecrypt" $2
  ; 1 when the platform belongs to the Torvane line ("TRV"), else 0.
  System::Call '$PLUGINSDIR\qvsupport.dll::IsTorvaneSystem(p 0) i .r3'
  !insertmacro LogAnswer "IsTorvaneSystem" $3

  ; A negative status means "not a supported platform": no device kind is installed.
  ${If} $1 < 0
    StrCpy $4 0
  ${Else}
    IntOp $4 $1 & 0xFF
    IntOp $5 $1 >> 8
    !insertmacro LogAnswer "LineCode" $5
  ${EndIf}
  !insertmacro LogAnswer "Mask" $4
  ; One device kind per mask bit; the answer is the bit itself (1, 2, 4 ...), not 1.
  StrCpy $6 0
  ${Do}
    IntOp $7 1 << $6
    System::Call '$PLUGINSDIR\qvsupport.dll::IsSupportedDevice(i r4, i r7) i .r8'
    !insertmacro LogAnswer "IsSupportedDevice.bit$6" $8
    IntOp $6 $6 + 1
  ${LoopUntil} $6 = 8

  ; Adapter makers: LAN 0 Broadcom, 1 Intel; WLAN 0 Broadcom; WWAN 0 or 1; -1 unknown.
  System::Call '$PLUGINSDIR\qvsupport.dll::GetLANManufacturerID() i .r0'
  !insertmacro LogAnswer "GetLANManufacturerID" $0
  System::Call '$PLUGINSDIR\qvsupport.dll::GetWLANManufacturerID() i .r0'
  !insertmacro LogAnswer "GetWLANManufacturerID" $0
  ; "?u" unloads the DLL after its last call, so that $PLUGINSDIR can be removed at exit.
  System::Call '$PLUGINSDIR\qvsupport.dll::GetWWANManufacturerID() i .r0 ?u'
  !insertmacro LogAnswer "GetWWANManufacturerID" $0

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
SectionEnd

Section "Uninstall"
  ; The uninstaller carries its own copy of the DLL. The current directory is its private
  ; directory too: UninstallQVGina may start Intel's "iWrap.exe" from the current directory
  ; first, and no stray program of that name may be found there.
  InitPluginsDir
  SetOutPath "$PLUGINSDIR"
  File "${QV_DLL}"

  ; Takes the product's logon module out of the Winlogon chain; always 0.
  System::Call '$PLUGINSDIR\qvsupport.dll::UninstallQVGina(i 0) i .r0 ?u'
  !insertmacro LogAnswer "UninstallQVGina" $0

  SetOutPath "$TEMP"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
