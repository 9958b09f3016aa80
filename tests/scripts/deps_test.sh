#!/usr/bin/env bash
# scripts/deps: its package groups, and its check for services left enabled
# at boot, against a scratch systemd folder (nothing is installed or
# disabled on this machine).   deps_test.sh SCRIPTS_DIR
set -u
deps=$1/deps
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
. "$(dirname "$0")/../peers/common.sh"

# scripts/test run first leaves nothing for the demo to install, and the
# demo pulls in no test-only package.
demo=$("$deps" --list demo)
test=$("$deps" --list test)
for p in $demo; do
    grep -qx "$p" <<<"$test" || fail "test lacks $p of the demo"
done
for p in libgtest-dev clang-14 valgrind nginx tinyproxy tmux; do
    ! grep -qx "$p" <<<"$demo" || fail "the demo installs $p"
done
"$deps" --list demo no-such-group >/dev/null 2>"$scratch/err"
[ $? -eq 2 ] && [ "$(wc -l <"$scratch/err")" -eq 1 ] || fail "an unknown group: exit 2 with one line"

# Enabled units: links in .wants and .requires folders, by name or target.
. "$deps"
set +e  # the script's own options stay with its runs below
systemd_dir=$scratch/systemd
log_dir=$scratch/build
mkdir -p "$systemd_dir"/multi-user.target.wants "$systemd_dir"/sockets.target.requires
ln -s /lib/systemd/system/named.service "$systemd_dir"/multi-user.target.wants/named.service
ln -s /lib/systemd/system/krb5-kdc.service "$systemd_dir"/sockets.target.requires/kdc.service
ln -s /lib/systemd/system/named.service "$systemd_dir"/bind9.service  # an alias enables nothing
ln -s /lib/systemd/system/e2scrub_reap.service "$systemd_dir"/multi-user.target.wants/e2scrub_reap.service
check() {
    local want=$1 got
    shift
    got=$(enabled_units "$@" | tr '\n' ' ')
    [ "$got" = "$want" ] || fail "enabled_units $*: '$got', expected '$want'"
}
check "" # no unit named is none enabled, not every unit
check "named.service " named.service nginx.service
check "krb5-kdc.service " krb5-kdc.service
check "kdc.service " kdc.service
check "" bind9.service tinyproxy.service

# A run over installed packages: the units are disabled, and a unit that
# stays enabled fails the run with one line naming it.
# run_main: a run of the script's main for the build group; sets rc.
run_main() {
    (set -euo pipefail; main build) >"$scratch/out" 2>"$scratch/err"
    rc=$?
}
installed() { true; }
package_units() { echo named.service; echo nginx.service; }
disable_units() { for unit in "$@"; do rm -f "$systemd_dir"/*.wants/"$unit"; done; }
run_main
[ $rc -eq 0 ] || fail "disabling named.service: $(cat "$scratch/err")"
grep -qx 'deps: disabling at boot: named.service' "$scratch/out" || fail "no step line: $(cat "$scratch/out")"
[ -e "$systemd_dir"/multi-user.target.wants/e2scrub_reap.service ] || fail "a unit of another package was disabled"
run_main
[ $rc -eq 0 ] && [ ! -s "$scratch/out" ] || fail "nothing to do should print nothing: $(cat "$scratch/out")"

ln -s /lib/systemd/system/named.service "$systemd_dir"/multi-user.target.wants/named.service
disable_units() { :; }
run_main
[ $rc -eq 1 ] || fail "a unit left enabled should fail the run"
grep -q "^deps: still enabled at boot: named.service (see $log_dir/deps.log)$" "$scratch/err" ||
    fail "left enabled: $(cat "$scratch/err")"

disable_units() { echo "no such unit" >&2; return 1; }
run_main
[ $rc -eq 1 ] || fail "a failed step should fail the run"
grep -q "^deps: failed: disabling at boot: named.service (see $log_dir/deps.log)$" "$scratch/err" &&
    grep -q "no such unit" "$log_dir/deps.log" || fail "failed step: $(cat "$scratch/err")"

[ "$failures" -eq 0 ] || exit 1
echo "scripts/deps as expected"
