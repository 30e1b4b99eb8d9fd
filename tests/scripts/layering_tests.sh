#!/usr/bin/env bash
# The build holds the layering: a layer's sources find the headers of the layers
# it may use, and no others. For every layer, one header of every folder is
# included with exactly the include folders the build gives that layer's
# sources; it must compile when the layer may use that folder, and must not be
# found when it may not.
# Usage: layering_tests.sh COMPILER LAYERS_FOLDER
set -u
compiler=${1:?usage: layering_tests.sh COMPILER LAYERS_FOLDER}
layers=${2:?usage: layering_tests.sh COMPILER LAYERS_FOLDER}

# The layering, lowest layer first: what each layer may include.
declare -A may_use=(
  [velantrix_core]="core"
  [velantrix_system]="core system"
  [velantrix_toolkit]="core toolkit"
  [velantrix_update]="core system update"
  [velantrix_engine]="core system toolkit engine"
  [velantrix_ui]="core system toolkit update engine ui resources"
  [velantrix_updater]="core system update updater"
)
# One header of each folder.
declare -A probe=(
  [core]=core/Constants.h
  [system]=system/Shell.h
  [toolkit]=toolkit/Color.h
  [update]=update/UpdateCheck.h
  [engine]=engine/TweakCatalogue.h
  [ui]=ui/Captions.h
  [resources]=resources/ResourceNames.h
  [updater]=updater/ReleaseManifest.h
)

passed=0
failed=0
fail() {
  failed=$((failed + 1))
  echo "FAILED $*"
}

for layer in "${!may_use[@]}"; do
  includes="$layers/$layer.includes"
  if [ ! -s "$includes" ]; then
    fail "$layer: the build wrote no include list ($includes)"
    continue
  fi
  flags=()
  while IFS= read -r dir; do [ -n "$dir" ] && flags+=("-I$dir"); done <"$includes"
  for folder in "${!probe[@]}"; do
    header=${probe[$folder]}
    out=$(echo "#include \"$header\"" | "$compiler" -std=c++20 -fsyntax-only -DUNICODE -D_UNICODE \
      -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0A00 "${flags[@]}" -x c++ - 2>&1)
    status=$?
    if [[ " ${may_use[$layer]} " == *" $folder "* ]]; then
      if [ $status -eq 0 ]; then passed=$((passed + 1)); else fail "$layer may include $header, but: ${out%%$'\n'*}"; fi
    elif [ $status -ne 0 ] && grep -q "No such file" <<<"$out"; then
      passed=$((passed + 1))
    else
      fail "$layer must not reach $header, but it $([ $status -eq 0 ] && echo compiles || echo "fails otherwise: ${out%%$'\n'*}")"
    fi
  done
done

echo "layering: $passed passed, $failed failed"
[ $failed -eq 0 ] && [ $passed -gt 0 ]
