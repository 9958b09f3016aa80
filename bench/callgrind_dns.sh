#!/usr/bin/env bash
# Instructions per Windows DNS server update under callgrind: the module's
# DoEntryPoint (SOA walk and update) against a bare ldns UPDATE of the same
# record without the walk (the floor), both to named on loopback.
#   bench/callgrind_dns.sh [BUILD_DIR] [UPDATES]
# Only the updates are collected (--toggle-collect on the driver's Collect*
# functions); named runs as a child that callgrind does not follow.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
count=${2:-200}
driver="$build/bin/dns_callgrind"
[ -x "$driver" ] || { echo "build $driver first (cmake --build $build --target dns_callgrind)" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

instructions() {
    local way=$1 function=$2
    valgrind --tool=callgrind --callgrind-out-file="$scratch/$way.out" \
        --toggle-collect="$function" "$driver" "$way" "$count" >"$scratch/$way.log" 2>&1 ||
        { cat "$scratch/$way.log" >&2; exit 1; }
    sed -n 's/^totals: \([0-9]*\).*/\1/p' "$scratch/$way.out"
}
ours=$(instructions ours '*CollectOurUpdate*')
floor=$(instructions ldns '*CollectLdnsUpdate*')
awk -v ours="$ours" -v floor="$floor" -v n="$count" 'BEGIN {
    printf "instructions per update over %d updates\n", n
    printf "  DoEntryPoint (SOA walk + update)  %10.0f\n", ours / n
    printf "  bare ldns UPDATE (floor)          %10.0f\n", floor / n
    printf "  ratio                             %10.3f\n", ours / floor
}'
