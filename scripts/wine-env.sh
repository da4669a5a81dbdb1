# Sourced by the run and test scripts: a display, a Wine prefix of our own and one persistent
# wineserver for everything that follows.
#   KESTROVA_WINEPREFIX  the prefix (default: build/wineprefix in the checkout)
#   KESTROVA_LOCALE      the Unix locale Wine runs in, which sets its code page (default
#                        ja_JP.UTF-8: code page 932; C.UTF-8 gives 1252)
#   DISPLAY              used when set; otherwise Xvfb is started on a free display

kestrova_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${KESTROVA_WINEPREFIX:-$kestrova_root/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64
export LC_ALL=${KESTROVA_LOCALE:-ja_JP.UTF-8}
kestrova_started_xvfb=""

kestrova_start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    kestrova_started_xvfb=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "Xvfb did not start on :$n" >&2
    return 1
  done
  echo "no free X display" >&2
  return 1
}

kestrova_start_wine() {
  mkdir -p "$WINEPREFIX"
  # Persistent first, so that everything after it, the prefix set-up included, shares it.
  wineserver -p 2>/dev/null || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: initialising the prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 </dev/null || true
  fi
  # The Japanese UI faces, as IPA fonts (fonts-ipafont-gothic): proportional for "ＭＳ Ｐゴシック".
  if [ ! -f "$WINEPREFIX/.kestrova-fonts" ]; then
    local reg="$WINEPREFIX/kestrova-fonts.reg"
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
      '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
      '"ＭＳ Ｐゴシック"="IPAPGothic"' '"MS PGothic"="IPAPGothic"' \
      '"ＭＳ ゴシック"="IPAGothic"' '"MS Gothic"="IPAGothic"' | iconv -f utf-8 -t utf-16 > "$reg"
    timeout 60 wine regedit /S "$(winepath -w "$reg" 2>/dev/null || echo "Z:${reg//\//\\}")" \
      </dev/null >/dev/null 2>&1 && touch "$WINEPREFIX/.kestrova-fonts"
  fi
  # Start Wine's own services now, detached from our pipes, so that no test waits for them: the
  # RPC service too, which COM (the shell's file operations) would otherwise start inside a test,
  # holding its pipes for some twenty seconds after it ends.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  wine net start rpcss </dev/null >/dev/null 2>&1 || true
}

kestrova_stop_all() {
  wineserver -k 2>/dev/null || true
  if [ -n "$kestrova_started_xvfb" ]; then kill "$kestrova_started_xvfb" 2>/dev/null || true; fi
}
