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
. "bench/callgrind_common.sh"
callgrind_setup update_callgrind 200 "$@"
ours=$(instructions ours '*CollectOurUpdate*' ours "$count")
curl=$(instructions curl '*CollectCurlUpdate*' curl "$count")
linuxrc=$(instructions linuxrc '*CollectOurUpdate*' linuxrc "$count")
awk -v ours="$ours" -v curl="$curl" -v linuxrc="$linuxrc" -v n="$count" 'BEGIN {
    printf "instructions per update over %d updates\n", n
    printf "  DoEntryPoint  %10.0f\n", ours / n
    printf "  libcurl       %10.0f\n", curl / n
    printf "  ratio         %10.3f (goal: at most 0.5)\n", ours / curl
    printf "  LinuxRC       %10.0f (one GnuDIP exchange; %.3f of DoEntryPoint)\n", linuxrc / n,
        linuxrc / ours
}'
