#!/usr/bin/env bash
# Instructions per template update under callgrind: the module's
# DoEntryPoint against libcurl sending the same GET to vantrel-lab; and per
# LinuxRC update (one GnuDIP exchange over TCP) against the lab.
#   bench/callgrind_update.sh [BUILD_DIR] [UPDATES]
# Only the update itself is collected (--toggle-collect on the driver's
# Collect* functions), so process start, library loads and the lab's start
# stay out; the lab runs as a child that callgrind does not follow.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
count=${2:-200}
driver="$build/bin/update_callgrind"
[ -x "$driver" ] || { echo "build $driver first (cmake --build $build --target update_callgrind)" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# instructions WAY: the Ir collected in the WAY's function over all updates.
instructions() {
    local way=$1 function=$2
    valgrind --tool=callgrind --callgrind-out-file="$scratch/$way.out" \
        --toggle-collect="$function" "$driver" "$way" "$count" >"$scratch/$way.log" 2>&1 ||
        { cat "$scratch/$way.log" >&2; exit 1; }
    sed -n 's/^totals: \([0-9]*\).*/\1/p' "$scratch/$way.out"
}
ours=$(instructions ours '*CollectOurUpdate*')
curl=$(instructions curl '*CollectCurlUpdate*')
linuxrc=$(instructions linuxrc '*CollectOurUpdate*')
awk -v ours="$ours" -v curl="$curl" -v linuxrc="$linuxrc" -v n="$count" 'BEGIN {
    printf "instructions per update over %d updates\n", n
    printf "  DoEntryPoint  %10.0f\n", ours / n
    printf "  libcurl       %10.0f\n", curl / n
    printf "  ratio         %10.3f (goal: at most 0.5)\n", ours / curl
    printf "  LinuxRC       %10.0f (one GnuDIP exchange; %.3f of DoEntryPoint)\n", linuxrc / n,
        linuxrc / ours
}'
