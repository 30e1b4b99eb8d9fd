# Sourced by the run and test scripts: which builds this host can run, a private
# Wine prefix and a display.
#   vx_runnable_archs      prints the builds to use here ("x86 x64", "x64", ...):
#                          what starting a real 32-bit and 64-bit Wine process shows,
#                          or VELANTRIX_ARCH (x86 or x64) when it is set
#   vx_use_arch ARCH       picks the Wine loader for that build (VX_WINE)
#   vx_make_prefix DIR     creates a 64-bit prefix (a 32-bit program then sees the
#                          registry as on 64-bit Windows) with a virtual desktop,
#                          so that windows get frames and every process shares one desktop
#   vx_start_xvfb          starts a virtual frame buffer on a display it chooses
#                          itself and exports DISPLAY
#   vx_stop_wine           ends the prefix's wineserver and the frame buffer
#   vx_open_scratch_prefix NAME
#                          a throwaway prefix (/tmp/velantrix-NAME-prefix.*, in
#                          VX_SCRATCH_PREFIX) with a frame buffer of its own
#   vx_close_scratch_prefix
#                          ends it and removes it; safe to call twice (a trap on EXIT)
# Every function that fails says what failed in one line on standard error.

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
export WINEARCH=win64

vx_fail() {
  echo "$*" >&2
  return 1
}

# The Wine loader of a build. Debian's `wine` wrapper always takes the 32-bit
# loader when it is installed, even on a host that cannot run it, so each build
# names its own. VX_WINE32_LOADER and VX_WINE64_LOADER replace them (for tests).
vx_wine_loader() {
  case "$1" in
    x86) echo "${VX_WINE32_LOADER:-/usr/lib/wine/wine}" ;;
    x64) echo "${VX_WINE64_LOADER:-/usr/lib/wine/wine64}" ;;
    *) vx_fail "unknown build '$1' (expected x86 or x64)" ;;
  esac
}

# True when the build's loader really starts a process on this host. Starting
# one is the only reliable probe: a kernel without 32-bit support shows nothing
# else of it ("Exec format error").
vx_can_run() {
  local loader
  loader=$(vx_wine_loader "$1") || return 1
  [ -x "$loader" ] && timeout 30 "$loader" --version >/dev/null 2>&1
}

vx_runnable_archs() {
  local forced=${VELANTRIX_ARCH:-} arch archs=()
  if [ -n "$forced" ]; then
    case "$forced" in
      x86 | x64) ;;
      *) vx_fail "VELANTRIX_ARCH is '$forced'; it must be x86 or x64" || return 1 ;;
    esac
    vx_can_run "$forced" ||
      vx_fail "VELANTRIX_ARCH=$forced, but this host cannot start $(vx_wine_loader "$forced")" || return 1
    echo "$forced"
    return 0
  fi
  for arch in x86 x64; do
    vx_can_run "$arch" && archs+=("$arch")
  done
  [ ${#archs[@]} -gt 0 ] ||
    vx_fail "this host can start neither Wine loader ($(vx_wine_loader x86), $(vx_wine_loader x64)): is Wine installed?" ||
    return 1
  echo "${archs[*]}"
}

# A sentence for the first line of a run: what the host can do.
vx_host_kind() {
  if vx_can_run x86; then echo "this host runs 32-bit code"; else echo "this host cannot run 32-bit code"; fi
}

vx_use_arch() {
  export VX_ARCH="$1"
  VX_WINE=$(vx_wine_loader "$1") || return 1
  export VX_WINE
  if [ "$1" = x64 ]; then
    # Processes that Wine itself starts go through the same 64-bit loader.
    export WINELOADER="$VX_WINE"
  else
    unset WINELOADER
  fi
}

# Runs a Wine command of the current build, keeping its output; on failure
# prints STEP and the output's last lines.
vx_wine_step() {
  local step=$1 log status=0
  shift
  log=$(mktemp /tmp/velantrix-wine.XXXXXX)
  "$VX_WINE" "$@" >"$log" 2>&1 || status=$?
  if [ $status -ne 0 ]; then
    echo "$step failed (exit code $status): $VX_WINE $*" >&2
    tail -n 5 "$log" | sed 's/^/  /' >&2
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
}

vx_make_prefix() {
  export WINEPREFIX="$1"
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    # A first wineboot has been seen to fail once in a while ("could not load
    # kernel32.dll"); a second one on an emptied folder then succeeds.
    if ! vx_wine_step "making the Wine prefix $WINEPREFIX (wineboot)" wineboot -i; then
      echo "trying once more on an emptied prefix" >&2
      wineserver -k >/dev/null 2>&1 || true
      wineserver -w >/dev/null 2>&1 || true
      rm -rf "${WINEPREFIX:?}"/* && mkdir -p "$WINEPREFIX"
      vx_wine_step "making the Wine prefix $WINEPREFIX (wineboot, second try)" wineboot -i || return 1
    fi
    wineserver -w
  fi
  vx_wine_step "setting the prefix's virtual desktop" \
    reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f || return 1
  vx_wine_step "setting the prefix's virtual desktop size" \
    reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 2048x1536 /f || return 1
  vx_link_korean_font || return 1
  vx_install_wine_fonts
}

# Wine's own Tahoma and Marlett (fonts-wine) are what Windows windows are
# drawn with: the dialog face and the title-bar buttons. This Wine build does
# not find them in its data folder, so they are put in the prefix's Fonts folder.
vx_install_wine_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" f
  mkdir -p "$fonts"
  for f in tahoma.ttf tahomabd.ttf marlett.ttf; do
    [ -f "/usr/share/wine/fonts/$f" ] && [ ! -f "$fonts/$f" ] && cp "/usr/share/wine/fonts/$f" "$fonts/"
  done
  return 0
}

# The program's Korean texts are drawn in the window's face (Tahoma, or the
# icon-title face), which has no Hangul. Windows fills such gaps through its
# font links; Wine follows the same registry links, so the dialog faces are
# linked to the host's Nanum Gothic (installed by setup.sh), in both registry
# views. Wine lists the bold Tahoma as a face of its own, hence "Tahoma Bold".
vx_link_korean_font() {
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' face view
  for face in Tahoma 'Tahoma Bold' 'MS Shell Dlg' 'MS Shell Dlg 2' 'Microsoft Sans Serif' 'Segoe UI'; do
    for view in 32 64; do
      vx_wine_step "linking the Korean font to $face" reg add "$key" /v "$face" /t REG_MULTI_SZ \
        /d 'NanumGothic.ttf,NanumGothic\0NanumGothicBold.ttf,NanumGothic Bold' /reg:$view /f || return 1
    done
  done
  # Korean dialogs (the setup's) ask for Gulim by its Korean name, which a
  # Korean Windows has and the prefix has not: Nanum Gothic stands in for it.
  local substitutes='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
  for view in 32 64; do
    LC_ALL=C.UTF-8 vx_wine_step "substituting the Korean font for Gulim" reg add "$substitutes" \
      /v '굴림' /d NanumGothic /reg:$view /f || return 1
  done
  wineserver -w
}

# Xvfb chooses a free display itself and writes its number once it is ready
# (-displayfd): a display picked by looking for a free socket could be taken by
# another run at the same moment, and this run would then go on on a display
# that the other one owns and ends.
vx_start_xvfb() {
  local answer i n=
  answer=$(mktemp /tmp/velantrix-xvfb.XXXXXX) || vx_fail "could not make a file for the display number" || return 1
  Xvfb -displayfd 3 -screen 0 2048x1536x24 -nolisten tcp 3>"$answer" >/dev/null 2>&1 &
  VX_XVFB_PID=$!
  # A loaded machine (several suites at once) can take seconds to start one.
  for i in $(seq 1 600); do
    # The number is complete once its line ends.
    if [ "$(wc -l <"$answer")" -ge 1 ]; then
      n=$(tr -dc 0-9 <"$answer")
      break
    fi
    kill -0 "$VX_XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  rm -f "$answer"
  if [ -z "$n" ]; then
    kill "$VX_XVFB_PID" 2>/dev/null || true
    wait "$VX_XVFB_PID" 2>/dev/null || true
    VX_XVFB_PID=
    vx_fail "could not start Xvfb (it ended or named no display within 30 s)"
    return 1
  fi
  export DISPLAY=":$n"
}

vx_stop_wine() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "${VX_XVFB_PID:-}" ]; then
    kill "$VX_XVFB_PID" 2>/dev/null || true
    wait "$VX_XVFB_PID" 2>/dev/null || true
    VX_XVFB_PID=
  fi
}

VX_SCRATCH_PREFIX=

vx_open_scratch_prefix() {
  VX_SCRATCH_PREFIX=$(mktemp -d "/tmp/velantrix-$1-prefix.XXXXXX") || vx_fail "could not make a folder for a prefix" || return 1
  vx_start_xvfb && vx_make_prefix "$VX_SCRATCH_PREFIX"
}

vx_close_scratch_prefix() {
  vx_stop_wine
  [ -n "$VX_SCRATCH_PREFIX" ] && rm -rf "$VX_SCRATCH_PREFIX"
  VX_SCRATCH_PREFIX=
}
