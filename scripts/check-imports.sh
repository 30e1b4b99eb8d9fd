#!/usr/bin/env bash
# Fails when a shipped program imports a library that Windows does not always
# take from its system folder. The program runs elevated; any other library in
# its import table would be looked up in the program's own folder first, before
# the program can restrict where libraries come from. Those are loaded at run
# time from the system folder instead (core/SystemLibrary.h).
# Usage: scripts/check-imports.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: check-imports.sh BUILD_DIR}

# Windows' known DLLs (and ntdll, always loaded first), lower case.
allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll shlwapi.dll comdlg32.dll
          msvcrt.dll imm32.dll ntdll.dll "

# The shipped programs, relative to the build folder. Add the updater and the
# installers here as they are built.
programs=(Velantrix.exe VelantrixUpdate.exe)

# The mingw objdump of the program's architecture: the first installed one that
# recognises the file (the i686 one does not read 64-bit programs everywhere).
objdump_for() {
  local tool
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
  imports=$("$tool" -p "$path" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
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
done
exit $status
