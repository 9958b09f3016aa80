#!/usr/bin/env bash
# service_unit_test.sh BUILD_DIR: cmake --install puts vantrel-watch.service
# below the prefix, naming the binary installed beside it, and
# systemd-analyze accepts the unit (skipped where systemd-analyze is absent).
set -u
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build" --prefix "$scratch/prefix" >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log" >&2; exit 1; }
unit=$scratch/prefix/lib/systemd/system/vantrel-watch.service
[ -f "$unit" ] || { echo "FAIL: no $unit" >&2; exit 1; }
grep -qx "ExecStart=$scratch/prefix/bin/vantrel watch --config %E/vantrel/watch.conf --state %S/vantrel/state.json --registry %E/vantrel/registry.reg" "$unit" ||
    { echo "FAIL: ExecStart does not name the installed binary:" >&2; grep ExecStart "$unit" >&2; exit 1; }
for directive in StateDirectory=vantrel ConfigurationDirectory=vantrel ProtectSystem=strict NoNewPrivileges=yes; do
    grep -qx "$directive" "$unit" || { echo "FAIL: $directive missing" >&2; exit 1; }
done
command -v systemd-analyze >/dev/null || { echo "systemd-analyze not installed: skipped"; exit 77; }
systemd-analyze verify "$unit" || { echo "FAIL: systemd-analyze verify" >&2; exit 1; }
