#!/usr/bin/env bash
# Sets up what is missing and runs every test of Bex: the native unit tests of
# the logic modules (AddressSanitizer, UndefinedBehaviorSanitizer), a short
# fuzz run, then the Win32 and end-to-end tests under Wine on a virtual display,
# and the portable zip unpacked and started there.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash tools/setup.sh || exit 1
tools/build.sh native win32 win64 || exit 1

passed=0
failed=0
# Runs ctest in a build folder and adds its counts to the totals.
run_ctest() {
  local dir=$1
  shift
  local log
  log=$(mktemp)
  (cd "$dir" && ctest --output-on-failure --timeout 900 "$@") 2>&1 | tee "$log"
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  rm -f "$log"
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  local total fails
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  fails=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + total - fails))
  failed=$((failed + fails))
}

echo "== native unit tests"
run_ctest build/native -j"$(nproc)"

if [ -x tools/fuzz.sh ]; then
  echo "== short fuzz run"
  if tools/fuzz.sh --short; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
fi

echo "== Win32 and end-to-end tests under Wine"
# Each run starts from empty scratch folders and an empty recycle bin.
rm -rf build/win32/scratch build/win32/xdg
tests/plugins/make_fixtures.sh build/win32/fixtures || failed=$((failed + 1))
# shellcheck source=tools/wine-env.sh
. tools/wine-env.sh
# The tests drive the pointer through the X server: they run on a display of
# their own, where Wine's desktop lies at the origin, even under a desktop.
BEX_FORCE_XVFB=1 bex_wine_start "$root/build/win32"
trap bex_wine_stop EXIT
# A helper stuck for good would hold the test runner's output open (Wine
# leaves a process stuck in its start when its creator dies creating it,
# which the viewer's job now covers). No test keeps a helper for two
# minutes: older ones are named and ended.
end_stuck_helpers() {
  while sleep 20; do
    ps -eo pid=,etimes=,args= | awk '$2 > 120 && /bexspi(64)?\.exe/' | while read -r pid _ args; do
      echo "test run: ended a plug-in helper stuck for two minutes: $args" >&2
      kill -9 "$pid"
    done
  done
}
end_stuck_helpers &
reaper=$!
# On a busy shared machine, driving real windows under Wine now and then
# loses a race with the X server; a Wine test program that fails is run once
# more, and only a second failure counts (its first output stays in the log).
run_ctest build/win32 --repeat until-pass:2
kill "$reaper" 2>/dev/null

echo "== the portable zip"
if tests/tools/package_test.sh; then passed=$((passed + 1)); else failed=$((failed + 1)); fi

echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
