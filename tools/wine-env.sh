# Sourced by the run and test scripts: a Wine prefix of the build's own, in
# Japanese locale (ANSI code page 932), on a virtual desktop of a virtual X
# display, with one Wine server kept alive for the whole run. The prefix is
# 64-bit, as most users' Windows is: the 32-bit viewer runs under WoW64 and
# can start the 64-bit plug-in helper.
#   bex_wine_start <build dir>   prepare the prefix, start Xvfb and the server
#   bex_wine_stop                stop what bex_wine_start started

bex_wine_prefix_template() {
  local template=$1
  # A template made for another architecture is made again.
  [ "$(cat "$template/.bex-ready" 2>/dev/null)" = "$WINEARCH" ] && return 0
  rm -rf "$template"
  mkdir -p "$template"
  WINEPREFIX=$template wineboot -i >/dev/null 2>&1
  WINEPREFIX=$template wineserver -w
  local reg=$template/bex.reg
  {
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="1280x1024"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n'
    printf '"MS PGothic"="IPAPGothic"\r\n"MS Gothic"="IPAGothic"\r\n'
    printf '"MS UI Gothic"="IPAPGothic"\r\n"MS Shell Dlg"="IPAPGothic"\r\n\r\n'
  } | iconv -f UTF-8 -t CP932 >"$reg"
  WINEPREFIX=$template wine regedit /S "$(winepath_of "$reg")" >/dev/null 2>&1
  WINEPREFIX=$template wineserver -w
  local fonts=/usr/share/wine/fonts
  if [ -d "$fonts" ]; then
    cp -n "$fonts"/*.ttf "$template/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  echo "$WINEARCH" >"$template/.bex-ready"
}

# Windows form of a Linux path (Wine maps / to Z:).
winepath_of() {
  printf 'Z:%s' "$(readlink -f "$1" | tr / '\\')"
}

bex_wine_start() {
  local build=$1
  export WINEARCH=win64
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export XDG_DATA_HOME=$build/xdg
  mkdir -p "$XDG_DATA_HOME"
  # Wine keeps a section's memory (the pictures the plug-in helpers hand over)
  # in a file of its server's folder under $TMPDIR: on tmpfs that is memory,
  # as on Windows, where on a disk it would cost a write of every page.
  if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
  BEX_STARTED_XVFB=
  if [ -z "${DISPLAY:-}" ] || [ "${BEX_FORCE_XVFB:-}" = 1 ]; then
    local n=90
    while [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    BEX_STARTED_XVFB=$!
    export DISPLAY=:$n
    for _ in $(seq 100); do
      xdpyinfo >/dev/null 2>&1 && break
      sleep 0.1
    done
  fi
  bex_wine_prefix_template "$build/wineprefix-template"
  export WINEPREFIX=$build/wineprefix
  rm -rf "$WINEPREFIX"
  cp -a "$build/wineprefix-template" "$WINEPREFIX"
  wineserver -p
  wineboot >/dev/null 2>&1
}

bex_wine_stop() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [ -n "${BEX_STARTED_XVFB:-}" ]; then
    kill "$BEX_STARTED_XVFB" 2>/dev/null || true
    wait "$BEX_STARTED_XVFB" 2>/dev/null || true
  fi
}
