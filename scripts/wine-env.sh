# Wine for one Windows tree, sourced by the scripts that run Windows programs:
# build-win/ holds the 32-bit programs, build-win64/ the 64-bit ones (each tree's width is
# in its CMake cache). Debian's `wine` wrapper always picks the 32-bit loader when wine32
# is installed, so each width's loader is called directly.
#
#   wine_can_run BITS   true when this machine executes that width's loader; otherwise
#                       WINE_CANT_RUN says why (a kernel without 32-bit user mode gives
#                       "Exec format error")
#   wine_pick_tree      prints the tree to show the window with: 32-bit where it runs,
#                       else 64-bit; fails with the reason when neither runs
#   wine_use TREE       exports WINEPREFIX (TREE/wineprefix), WINEDEBUG and WINELOADER,
#                       sets WINE (the loader to call) and WINE_BITS, and makes the
#                       prefix on first use
#
# A fresh prefix takes 15-30 s; it gets two settings and Wine's own fonts:
#   Graphics = x11,null  the X11 driver when DISPLAY is set, else the headless null driver
#   Managed = N          without a window manager a managed window waits 2 s when destroyed
#   fonts                wineboot leaves C:\windows\Fonts empty, and without Marlett the
#                        caption buttons show letters instead of their symbols
# shellcheck shell=bash

WINE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

wine_loader_of() {
  case "$1" in
    32) echo /usr/lib/wine/wine ;;
    64) echo /usr/lib/wine/wine64 ;;
    *) echo "wine-env: no Windows width '$1'" >&2; return 2 ;;
  esac
}

wine_can_run() {
  local loader output
  loader=$(wine_loader_of "$1") || return 2
  WINE_CANT_RUN=
  if [ ! -x "$loader" ]; then
    if [ "$1" = 32 ]; then
      WINE_CANT_RUN="$loader is missing: the 32-bit Wine (wine32:i386) is not installed; scripts/install-deps.sh tries to install it and says why when it can't"
    else
      WINE_CANT_RUN="$loader is missing (scripts/install-deps.sh installs it)"
    fi
    return 1
  fi
  if ! output=$(WINELOADER=$loader "$loader" --version 2>&1); then
    # The shell's complaint ends with the kernel's reason, e.g. "Exec format error".
    WINE_CANT_RUN="this machine can't execute $1-bit programs ($loader: $(echo "$output" | tail -n 1 | sed 's/.*: //'))"
    return 1
  fi
}

wine_pick_tree() {
  local why32
  if wine_can_run 32; then echo build-win; return 0; fi
  why32=$WINE_CANT_RUN
  if wine_can_run 64; then echo build-win64; return 0; fi
  echo "wine-env: no Windows program can run here: $why32; $WINE_CANT_RUN" >&2
  return 1
}

wine_use() {
  local tree
  tree=$(cd "$1" && pwd) || { echo "wine-env: no Windows tree $1 (scripts/build.sh windows builds it)" >&2; return 2; }
  WINE_BITS=$(sed -n 's/^TAGVETTER_WINDOWS_BITS:INTERNAL=//p' "$tree/CMakeCache.txt" 2>/dev/null)
  if [ -z "$WINE_BITS" ]; then
    echo "wine-env: $tree is not a configured Windows tree (scripts/build.sh windows|windows64)" >&2
    return 2
  fi
  WINE=$(wine_loader_of "$WINE_BITS")
  export WINELOADER=$WINE
  export WINEPREFIX=$tree/wineprefix
  export WINEDEBUG=${WINEDEBUG:--all}
  wine_make_prefix
}

wine_make_prefix() {
  local ready=$WINEPREFIX/.tagvetter-ready log=$WINEPREFIX.log fonts=$WINEPREFIX/drive_c/windows/Fonts
  [ -e "$ready" ] && [ -e "$fonts/marlett.ttf" ] && return 0
  if ! wine_can_run "$WINE_BITS"; then
    echo "wine-env: can't make $WINEPREFIX: $WINE_CANT_RUN" >&2
    return 1
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  # One creator at a time: ctest may start several Wine tests together.
  (
    flock 9
    if [ ! -e "$ready" ]; then
      local arch=()
      [ "$WINE_BITS" = 64 ] && arch=(env WINEARCH=win64)
      # No Mono or Gecko prompts, and no window while the prefix is made.
      if ! { "${arch[@]}" env WINEDLLOVERRIDES="mscoree=;mshtml=" DISPLAY= "$WINE" wineboot -u &&
             DISPLAY= "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f &&
             DISPLAY= "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
             wineserver -w; } >"$log" 2>&1; then
        echo "wine-env: making the Wine prefix $WINEPREFIX failed; the end of $log:" >&2
        tail -n 15 "$log" >&2
        echo "wine-env: remove $WINEPREFIX and try again; scripts/install-deps.sh installs Wine" >&2
        exit 1
      fi
      touch "$ready"
    fi
    if [ ! -e "$fonts/marlett.ttf" ]; then
      if ! ls /usr/share/wine/fonts/*.ttf >/dev/null 2>&1; then
        echo "wine-env: Wine's fonts are missing from /usr/share/wine/fonts (package fonts-wine; scripts/install-deps.sh installs it)" >&2
        exit 1
      fi
      mkdir -p "$fonts"
      cp /usr/share/wine/fonts/*.ttf "$fonts/"
    fi
  ) 9>"$WINEPREFIX.lock"
}
