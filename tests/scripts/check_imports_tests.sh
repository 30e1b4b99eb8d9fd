#!/usr/bin/env bash
# scripts/check-imports.sh against small programs built here with the build's
# own compiler and read with the real objdump: it passes programs that import
# only what Windows XP has from Windows' known libraries, and names the program
# and the function or library for each one that does not.
# Usage: check_imports_tests.sh CXX_COMPILER
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cxx=${1:?usage: check_imports_tests.sh CXX_COMPILER}
work=$(mktemp -d /tmp/velantrix-imports-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# build NAME BODY [LIBS...]: a windowless program whose WinMain runs BODY, in $work/NAME.
build() {
  local name=$1 body=$2
  shift 2
  mkdir -p "$(dirname "$work/$name")"
  printf '#include <windows.h>\n#include <wchar.h>\n%s\nint WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { %s }\n' \
    "$prelude" "$body" >"$work/src.cpp"
  # Linked as the programs are: the compiler's runtime inside, no DLL of its own.
  "$cxx" -O0 -mwindows -static -static-libgcc -static-libstdc++ -o "$work/$name" "$work/src.cpp" "$@" 2>"$work/cc.log" ||
    { fail "could not build $name: $(head -3 "$work/cc.log")"; return 1; }
}

# check DIR: runs the check on the programs in DIR; its messages in $work/out.
check() {
  bash "$root/scripts/check-imports.sh" "$1" >"$work/out" 2>&1
}

# Functions the code above the system always needed, for every program below.
prelude='BOOL WINAPI Once(PINIT_ONCE, PVOID, PVOID*) { return TRUE; }'
clean='return (GetTickCount() + (CreateEventW(nullptr, TRUE, FALSE, nullptr) != nullptr)) != 0;'
build ok/Velantrix.exe "$clean" && build ok/VelantrixUpdate.exe "$clean"
check "$work/ok" || fail "programs with only older functions were refused: $(cat "$work/out")"

# Each denied function, imported by one program; the other program is clean.
cases=(
  "GetTickCount64|kernel32.dll|return (int)GetTickCount64();"
  "AddVectoredExceptionHandler|kernel32.dll|return AddVectoredExceptionHandler(1, nullptr) != nullptr;"
  "AcquireSRWLockExclusive|kernel32.dll|SRWLOCK lock = SRWLOCK_INIT; AcquireSRWLockExclusive(&lock); return 0;"
  "InitOnceExecuteOnce|kernel32.dll|static INIT_ONCE once = INIT_ONCE_STATIC_INIT; return !InitOnceExecuteOnce(&once, Once, nullptr, nullptr);"
  "SetDefaultDllDirectories|kernel32.dll|return SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);"
  "wcscpy_s|msvcrt.dll|wchar_t text[8]; return wcscpy_s(text, 8, L\"x\");"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r function dll body <<<"$entry"
  dir=$work/deny-$function
  build "deny-$function/VelantrixUpdate.exe" "$clean" && build "deny-$function/Velantrix.exe" "$body" || continue
  if check "$dir"; then
    fail "$function was not refused"
  else
    grep -qx "check-imports: Velantrix.exe imports $function from $dll, which Windows 2000 or XP does not have" "$work/out" ||
      fail "$function: unexpected message: $(cat "$work/out")"
    grep -q "VelantrixUpdate.exe" "$work/out" && fail "$function: the clean program was named: $(cat "$work/out")"
  fi
done

# A library outside Windows' known set is still refused, by name.
build lib/Velantrix.exe 'return (int)timeGetTime();' -lwinmm && build lib/VelantrixUpdate.exe "$clean"
if check "$work/lib"; then
  fail "an import of winmm.dll was not refused"
else
  grep -q "check-imports: Velantrix.exe imports winmm.dll" "$work/out" || fail "winmm: unexpected message: $(cat "$work/out")"
fi

# A program that is missing is a failure, not a pass.
mkdir -p "$work/missing" && cp "$work/ok/Velantrix.exe" "$work/missing/"
check "$work/missing" && fail "a missing VelantrixUpdate.exe passed"

[ "$failures" -eq 0 ] && echo "check-imports tests passed"
exit $((failures > 0))
