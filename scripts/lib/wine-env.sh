# Shared by the scripts that run a program of a build folder under Wine
# (sourced, not run). Each prefix lives in the build folder it serves, never
# in the user's own Wine prefix.

# cw_build_above <file>: the build folder (the one holding CMakeCache.txt) at
# or above the file's folder; empty when there is none.
cw_build_above() {
  local d
  d="$(cd "$(dirname "$1")" && pwd)"
  while [ "$d" != / ] && [ ! -f "$d/CMakeCache.txt" ]; do d="$(dirname "$d")"; done
  if [ -f "$d/CMakeCache.txt" ]; then echo "$d"; fi
}

# cw_wine_env <build> <prefix-name>: the Wine of the build's architecture with
# the prefix <build>/<prefix-name>; sets loader and server, exports the rest.
cw_wine_env() {
  local build="$1"
  if grep -q 'toolchain-x86_64' "$build/CMakeCache.txt"; then
    export WINEARCH=win64; loader=/usr/lib/wine/wine64; server=/usr/lib/wine/wineserver64
  else
    export WINEARCH=win32; loader=/usr/lib/wine/wine; server=/usr/lib/wine/wineserver32
  fi
  [ -x "$server" ] || server="$(command -v wineserver || echo /usr/lib/wine/wineserver)"
  export WINEPREFIX="$build/$2"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINELOADER="$loader"
  export WINESERVER="$server"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

# cw_start_xvfb <work-folder>: a virtual X screen of 1024x768 on a free
# display (Xvfb tells which it took); exports DISPLAY, sets xvfb_pid.
cw_start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  [ -s "$1/display" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n 1 "$1/display")"
}

# cw_make_display_prefix [desktop]: makes $WINEPREFIX once, for a real screen.
# Wine's own fonts go into its Fonts folder: this Wine does not load them from
# its data folder, and without Marlett the caption buttons and check marks
# draw as letters. With "desktop", every window of the prefix opens in one
# virtual desktop, which stacks them as the system would without a window
# manager.
cw_make_display_prefix() {
  [ -f "$WINEPREFIX/.ready" ] && return 0
  rm -rf "$WINEPREFIX"
  "$loader" wineboot -i </dev/null >/dev/null 2>&1 || true
  timeout 120 "$server" -w || true
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  if [ "${1:-}" = desktop ]; then
    "$loader" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
    "$loader" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
    timeout 120 "$server" -w || true
  fi
  touch "$WINEPREFIX/.ready"
}

# cw_snapshot <work-folder> <out.png>: the whole X screen as PNG, popups
# (menus, modal dialogs) included.
cw_snapshot() {
  /usr/bin/python3 "$ROOT/tools/xsnapshot.py" "$2"
}
