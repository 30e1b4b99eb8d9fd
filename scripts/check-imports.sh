#!/usr/bin/env bash
# Fails when a shipped program imports a library that Windows does not always
# take from its system folder. The program runs elevated; any other library in
# its import table would be looked up in the program's own folder first, before
# the program can restrict where libraries come from. Those are loaded at run
# time from the system folder instead (core/SystemLibrary.h).
# It also fails on a function that Windows 2000 or XP does not have: the program
# would not start there at all. Those are looked up at run time where they exist.
# Usage: scripts/check-imports.sh BUILD_DIR
# VELANTRIX_OBJDUMP names the objdump to use (the check's own test passes a stand-in).
set -euo pipefail
build=${1:?usage: check-imports.sh BUILD_DIR}

# Windows' known DLLs (and ntdll, always loaded first), lower case.
allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll shlwapi.dll comdlg32.dll
          msvcrt.dll imm32.dll ntdll.dll "

# Functions of those libraries that appeared after Windows 2000 (vectored
# exception handling came with XP) or after XP, with the libraries they are
# checked in. Windows XP's kernel32 has no 64-bit tick count, slim
# reader/writer locks, condition variables, one-time initialisation, fibre
# local storage or library search settings; its msvcrt has none of the checked
# ("_s") string functions.
checked_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll msvcrt.dll "
denied_functions="
  AddVectoredExceptionHandler RemoveVectoredExceptionHandler
  GetTickCount64 InterlockedCompareExchange64
  InitializeSRWLock AcquireSRWLockExclusive AcquireSRWLockShared ReleaseSRWLockExclusive ReleaseSRWLockShared
  TryAcquireSRWLockExclusive TryAcquireSRWLockShared
  InitializeConditionVariable SleepConditionVariableCS SleepConditionVariableSRW WakeConditionVariable
  WakeAllConditionVariable
  InitOnceInitialize InitOnceExecuteOnce InitOnceBeginInitialize InitOnceComplete
  FlsAlloc FlsFree FlsGetValue FlsSetValue
  SetDefaultDllDirectories AddDllDirectory RemoveDllDirectory
  GetFileInformationByHandleEx SetFileInformationByHandle GetFinalPathNameByHandleW CreateSymbolicLinkW
  CancelIoEx QueryFullProcessImageNameW GetThreadId GetLocaleInfoEx LocaleNameToLCID LCIDToLocaleName
  CompareStringEx GetUserDefaultLocaleName CreateEventExW CreateMutexExW CreateSemaphoreExW
  CreateThreadpoolWork SubmitThreadpoolWork
  RegGetValueW RegDeleteTreeW RegDeleteKeyExW RegSetKeyValueW RegCopyTreeW
  SetProcessDPIAware ChangeWindowMessageFilter ChangeWindowMessageFilterEx ShutdownBlockReasonCreate
  SHGetKnownFolderPath SHCreateItemFromParsingName CoGetApartmentType
  wcscpy_s wcsncpy_s wcscat_s strcpy_s strncpy_s strcat_s swprintf_s sprintf_s _snwprintf_s _wfopen_s
  memcpy_s memmove_s _itow_s _wsplitpath_s
"

# The shipped programs, relative to the build folder. Add the updater and the
# installers here as they are built.
programs=(Velantrix.exe VelantrixUpdate.exe)

# The mingw objdump of the program's architecture: the first installed one that
# recognises the file (the i686 one does not read 64-bit programs everywhere).
objdump_for() {
  local tool
  if [ -n "${VELANTRIX_OBJDUMP:-}" ]; then
    echo "$VELANTRIX_OBJDUMP"
    return 0
  fi
  for tool in x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump; do
    command -v "$tool" >/dev/null || continue
    if "$tool" -f "$1" >/dev/null 2>&1; then
      command -v "$tool"
      return 0
    fi
  done
  echo "check-imports: no installed mingw objdump reads $1" >&2
  exit 1
}

status=0
for program in "${programs[@]}"; do
  path="$build/$program"
  if [ ! -f "$path" ]; then
    echo "check-imports: $program was not built ($path)" >&2
    status=1
    continue
  fi
  tool=$(objdump_for "$path")
  table=$("$tool" -p "$path")
  imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$table" | tr 'A-Z' 'a-z')
  if [ -z "$imports" ]; then
    echo "check-imports: $program: no import table could be read" >&2
    status=1
    continue
  fi
  for dll in $imports; do
    case "$allowed" in
      *" $dll "*) ;;
      *)
        echo "check-imports: $program imports $dll, which Windows may load from the program's folder" >&2
        status=1
        ;;
    esac
  done
  # "DLL Name: X" starts a library's list; each import by name is a line
  # "<address> <hint> <name>" (an import by ordinal has no name).
  while read -r dll function; do
    case "$checked_dlls" in *" $dll "*) ;; *) continue ;; esac
    case " $(echo $denied_functions) " in
      *" $function "*)
        echo "check-imports: $program imports $function from $dll, which Windows 2000 or XP does not have" >&2
        status=1
        ;;
    esac
  done < <(awk '/^[[:space:]]*DLL Name:/ { dll = tolower($3); next }
                /^[[:space:]]*$/ { dll = "" }
                dll != "" && $1 ~ /^[0-9a-fA-F]+$/ && $2 ~ /^[0-9]+$/ && NF >= 3 { print dll, $3 }' <<<"$table")
done
exit $status
