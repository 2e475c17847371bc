#!/bin/bash
# scripts/run keeps a step's output out of the terminal: with a build that fails, it prints one
# line a step, names build/run.log, shows only the log's last lines, and exits non-zero.
# Usage: run-log.sh SOURCE_DIR WORK_DIR
set -uo pipefail
source=$1 work=$2
fail() { echo "run-log: $*" >&2; exit 1; }

rm -rf "$work" && mkdir -p "$work/tree" "$work/fake"
cp -r "$source/scripts" "$work/tree/"
# A cmake whose build fails after much output, as a broken build would.
cat > "$work/fake/cmake" <<'FAKE'
#!/bin/bash
[[ $1 == --preset ]] && exit 0
for i in $(seq 1 40); do echo "[$i/40] compiling part $i"; done
echo "error: the part that breaks"
exit 1
FAKE
chmod +x "$work/fake/cmake"

PATH="$work/fake:$PATH" bash "$work/tree/scripts/run" > "$work/out" 2> "$work/err"
status=$?
log=$work/tree/build/run.log
(( status != 0 )) || fail "a failed build exited 0"
grep -qx "run: installing the packages the demo needs ... done" "$work/err" ||
  { cat "$work/err"; fail "no line for the installation"; }
grep -qx "run: building the run preset ... failed; the whole output is in $log" "$work/err" ||
  { cat "$work/err"; fail "the failure does not name the log"; }
grep -q "error: the part that breaks" "$work/err" || fail "the log's last lines are not shown"
! grep -q "compiling part 1$" "$work/err" || fail "the whole build output reached the terminal"
grep -q "compiling part 1$" "$log" || fail "the build output is not in the log"
[[ ! -s $work/out ]] || fail "standard output is not empty"
echo "run-log: a failed build is one line and the log's tail"
