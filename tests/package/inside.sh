#!/bin/bash
# Runs inside the throwaway root that installed-system.sh makes, as root, with /root/in holding the
# packages (debs/), the CMake consumer host, the README's host and the expected outputs.
set -euo pipefail
in=/root/in
export DEBIAN_FRONTEND=noninteractive QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
fail() { echo "inside: $*" >&2; exit 1; }
step() { echo "inside: $*" >&2; }
quiet() { "$@" > /root/last.log 2>&1 || { cat /root/last.log; fail "$* failed"; }; }
apt_install() { quiet apt-get install -y --no-install-recommends "$@"; }

step "apt installs the four packages with their declared dependencies only"
quiet apt-get update
apt_install "$in"/debs/*.deb

step "kpfhost makes a demo home and plays the demo there"
kpfhost --make-demo-home /root/till 2> /root/make-home.log || { cat /root/make-home.log; fail "no demo home"; }
(cd /root/till && kpfhost --branch 0001 --till 001 -z 0000000123 --date 2026-12-02 \
  --script /usr/share/kpf05520/demo/demo.script) > /root/kpfhost.txt 2> /root/kpfhost.err ||
  { cat /root/kpfhost.txt /root/kpfhost.err; fail "kpfhost failed"; }
diff -u "$in/expected/kpfhost.txt" /root/kpfhost.txt || fail "kpfhost differs from the build's"
man -w kpfhost > /dev/null 2>&1 || [[ -f /usr/share/man/man1/kpfhost.1.gz ]] || fail "no man page"

step "tools to build hosts"
apt_install cmake make gcc libc6-dev pkg-config fp-compiler fp-units-fcl fp-units-db

step "the C example, configured from the installed examples folder"
examples=/usr/share/doc/libkpf05520-dev/examples
quiet cmake -S "$examples" -B /root/c_host
quiet cmake --build /root/c_host
/root/c_host/example_c_host --home /root/till --confirm-after-ms 300 0001 001 0000000123 \
  2026-12-02 > /root/c_host.txt 2> /root/c_host.err || { cat /root/c_host.err; fail "C host failed"; }
diff -u "$in/expected/c_host.txt" /root/c_host.txt || fail "the C host differs"

step "a CMake host installed with install(TARGETS), and a pkg-config host"
quiet cmake -S "$in/consumer" -B /root/consumer
quiet cmake --build /root/consumer
quiet cmake --install /root/consumer --prefix /opt/consumer
/opt/consumer/bin/consumer > /root/consumer.txt || fail "the installed CMake host does not run"
grep -qx 'REQUIRES _dll' /root/consumer.txt || fail "the CMake host does not see _dll"
# shellcheck disable=SC2046
cc -o /root/consumer-pc "$in/consumer/main.c" $(pkg-config --cflags --libs kpf05520)
/root/consumer-pc > /root/consumer-pc.txt || fail "the pkg-config host does not run"
diff -u /root/consumer.txt /root/consumer-pc.txt || fail "the pkg-config host differs"

step "the README's C host, built and run with the README's commands"
mkdir -p /root/readme && cp "$in/readme/till.c" /root/readme/
(cd /root/readme && TILL_CONFIRM_MS=300 bash -euo pipefail "$in/readme/build-till.sh") \
  > /root/till.txt 2> /root/till.err || { cat /root/till.err; fail "the README's host failed"; }
grep -q 'CDIMPOSTO="03"' /root/till.txt || { cat /root/till.txt; fail "the README's host got no packet"; }

step "the Pascal example, built against the installed unit, loads from pkg-config's moduledir"
moduledir=$(pkg-config --variable=moduledir kpf05520)
mkdir -p /root/fpc
quiet fpc -l- -v0ew -Fu/usr/share/kpf05520/pascal -FU/root/fpc -o/root/kpfhost_pascal \
  "$examples/pascal_host/kpfhost_pascal.lpr"
/root/kpfhost_pascal --lib-dir "$moduledir" --home /root/till --confirm-after-ms 300 0001 001 \
  0000000123 2026-12-02 > /root/pascal.txt 2> /root/pascal.err ||
  { cat /root/pascal.err; fail "the Pascal host failed"; }
diff -u "$in/expected/pascal_host.txt" /root/pascal.txt || fail "the Pascal host differs"

step "apt-get remove leaves nothing of the packages"
quiet apt-get remove -y kpfhost libkpf05520-dev libkpf05520-test-1 libkpf05520-1
left=$(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' 'kpfhost' 'libkpf05520*' 2>/dev/null |
  grep -v '^un' || true)
[[ -z $left ]] || fail "packages left: $left"
stray=$(find /usr /etc /var/lib/dpkg/info \( -iname '*kpf*' \) 2>/dev/null || true)
[[ -z $stray ]] || fail "files left after removal: $stray"
step "done"
