#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest. The test scripts start the wineserver and Xvfb
# beforehand; run alone, this falls back to a prefix inside the build tree.
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-kestrova}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LC_ALL=${KESTROVA_TEST_LOCALE:-ja_JP.UTF-8}
exec wine "$@"
