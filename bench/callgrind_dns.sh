#!/usr/bin/env bash
# Instructions per Windows DNS server update under callgrind: the module's
# DoEntryPoint (SOA walk and update) against a bare ldns UPDATE of the same
# record without the walk (the floor), both to named on loopback.
#   bench/callgrind_dns.sh [BUILD_DIR] [UPDATES]
# Only the updates are collected (--toggle-collect on the driver's Collect*
# functions); named runs as a child that callgrind does not follow.
set -euo pipefail
cd "$(dirname "$0")/.."
. "bench/callgrind_common.sh"
callgrind_setup dns_callgrind 200 "$@"
ours=$(instructions ours '*CollectOurUpdate*' ours "$count")
floor=$(instructions ldns '*CollectLdnsUpdate*' ldns "$count")
awk -v ours="$ours" -v floor="$floor" -v n="$count" 'BEGIN {
    printf "instructions per update over %d updates\n", n
    printf "  DoEntryPoint (SOA walk + update)  %10.0f\n", ours / n
    printf "  bare ldns UPDATE (floor)          %10.0f\n", floor / n
    printf "  ratio                             %10.3f\n", ours / floor
}'
