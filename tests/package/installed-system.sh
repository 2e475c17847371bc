#!/bin/bash
# The Debian packages as apt installs them. lintian --pedantic must find no error and no warning;
# then a throwaway Debian 12 root made by mmdebstrap installs the packages with apt and only their
# declared dependencies (no Recommends), and runs inside.sh there: the installed kpfhost on a demo
# home it makes, hosts built against the installed package, and their removal.
# Usage: installed-system.sh PACKAGES_DIR BUILD_DIR WORK
#   BUILD_DIR is the build the packages came from; its kpfhost gives the expected output.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
debs=$(realpath "$1") build=$(realpath "$2") work=$3
fail() { echo "installed-system: $*" >&2; exit 1; }

shopt -s nullglob
packages=("$debs"/*.deb)
(( ${#packages[@]} == 4 )) || fail "expected four packages in $debs, found ${#packages[@]}"
lintian --pedantic --display-info --fail-on error,warning "${packages[@]}" ||
  fail "lintian reports an error or a warning"

rm -rf "$work" && mkdir -p "$work/in/debs"
cp "${packages[@]}" "$work/in/debs/"
cp -r "$here/inside.sh" "$here/consumer" "$here/expected" "$work/in/"
# The README's first host and the commands it gives to build and run it, as a reader copies them.
block() { awk -v info="$1" '$0 == "```" info { on = 1; next } on && /^```$/ { exit } on' \
  "$here/../../README.md"; }
mkdir -p "$work/in/readme"
block "c till.c" > "$work/in/readme/till.c"
block "sh build-till" > "$work/in/readme/build-till.sh"
[[ -s $work/in/readme/till.c && -s $work/in/readme/build-till.sh ]] ||
  fail "README.md has no till.c block with its build-till commands"
# The demo as the build tree's kpfhost plays it: what the installed one must print.
export QT_QPA_PLATFORM=offscreen
"$build/bin/kpfhost" --make-demo-home "$work/home" 2> /dev/null
"$build/bin/kpfhost" --home "$work/home" --branch 0001 --till 001 -z 0000000123 \
  --date 2026-12-02 --script "$here/../../demo/demo.script" > "$work/in/expected/kpfhost.txt" \
  2> /dev/null

mmdebstrap --variant=apt --mode=root --quiet \
  --customize-hook="copy-in '$work/in' /root" \
  --customize-hook='chroot "$1" bash /root/in/inside.sh' \
  bookworm /dev/null \
  "deb http://deb.debian.org/debian bookworm main" \
  "deb http://deb.debian.org/debian bookworm-updates main" \
  "deb http://deb.debian.org/debian-security bookworm-security main" ||
  fail "the installed packages failed in the throwaway root"
echo "installed-system: the packages install, run and remove cleanly"
