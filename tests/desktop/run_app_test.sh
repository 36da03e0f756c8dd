#!/bin/sh
# scripts/run-app: without a display it must refuse with a pointer to the
# headless alternative instead of letting Qt abort; with one it must start the
# program with all its arguments untouched.
run_app=$1
fail() { echo "FAIL: $*"; exit 1; }

msg=$(env -u DISPLAY -u WAYLAND_DISPLAY "$run_app" /bin/echo started 2>&1)
rc=$?
[ $rc -ne 0 ] || fail "exit status 0 without a display"
case $msg in *started*) fail "the program ran without a display" ;; esac
case $msg in *"make screenshot"*) ;; *) fail "no hint at 'make screenshot': $msg" ;; esac

for var in DISPLAY WAYLAND_DISPLAY; do
  got=$(env -u DISPLAY -u WAYLAND_DISPLAY "$var=:1" "$run_app" printf '[%s]' "a b" "" "-x") \
    || fail "non-zero exit with $var set"
  [ "$got" = "[a b][][-x]" ] || fail "arguments changed with $var set: $got"
done
echo "run-app: ok"
