#!/usr/bin/env bash
# Instructions per update under callgrind, in this process only (the KDC
# and named run as children callgrind does not follow): a secure update
# (credentials, TKEY, signed UPDATE, checked reply), and one with the
# credentials already acquired, against a plain one.
#   bench/callgrind_secure.sh [BUILD_DIR] [UPDATES]
set -euo pipefail
cd "$(dirname "$0")/.."
. "bench/callgrind_common.sh"
callgrind_setup secure_update_bench 20 "$@"
plain=$(instructions plain CollectPlainUpdates --count plain "$count")
secure=$(instructions secure CollectSecureUpdates --count secure "$count")
held=$(instructions held CollectHeldUpdates --count held "$count")
awk -v plain="$plain" -v secure="$secure" -v held="$held" -v n="$count" 'BEGIN {
    printf "instructions per update over %d updates\n", n
    printf "  plain                          %12.0f\n", plain / n
    printf "  secure (acquire, update)       %12.0f  ratio %.1f\n", secure / n, secure / plain
    printf "  secure, credentials held       %12.0f  ratio %.1f\n", held / n, held / plain
}'
