# Sourced by the run and test scripts: a private Wine prefix and a display.
#   vx_make_prefix DIR   creates a 64-bit prefix (the 32-bit program then sees
#                        the registry as on 64-bit Windows) with a virtual desktop,
#                        so that windows get frames and every process shares one desktop
#   vx_start_xvfb        starts a virtual frame buffer and exports DISPLAY
#   vx_stop_wine         ends the prefix's wineserver and the frame buffer

export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
export WINEARCH=win64

vx_make_prefix() {
  export WINEPREFIX="$1"
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  vx_link_korean_font
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
      wine reg add "$key" /v "$face" /t REG_MULTI_SZ /d 'NanumGothic.ttf,NanumGothic\0NanumGothicBold.ttf,NanumGothic Bold' \
        /reg:$view /f >/dev/null 2>&1
    done
  done
  # Korean dialogs (the setup's) ask for Gulim by its Korean name, which a
  # Korean Windows has and the prefix has not: it stands for Nanum Gothic here.
  local reg="$WINEPREFIX/korean-font.reg"
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n"\xea\xb5\xb4\xeb\xa6\xbc"="NanumGothic"\r\n"Gulim"="NanumGothic"\r\n' |
    iconv -f UTF-8 -t UTF-16 >"$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
  rm -f "$reg"
  wineserver -w
}

vx_start_xvfb() {
  local n
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      VX_XVFB_PID=$!
      export DISPLAY=":$n"
      local i
      for i in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.05
      done
    fi
  done
  echo "could not start Xvfb" >&2
  return 1
}

vx_stop_wine() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "${VX_XVFB_PID:-}" ]; then
    kill "$VX_XVFB_PID" 2>/dev/null || true
    wait "$VX_XVFB_PID" 2>/dev/null || true
  fi
}
