#!/usr/bin/env bash
# Instructions per update under callgrind, in this process only (the KDC
# and named run as children callgrind does not follow): a secure update
# (credentials, TKEY, signed UPDATE, checked reply), and one with the
# credentials already acquired, against a plain one.
#   bench/callgrind_secure.sh [BUILD_DIR] [UPDATES]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
count=${2:-20}
driver="$build/bin/secure_update_bench"
[ -x "$driver" ] || { echo "build $driver first (cmake --build $build --target secure_update_bench)" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

instructions() {
    local way=$1 function=$2
    valgrind --tool=callgrind --callgrind-out-file="$scratch/$way.out" \
        --toggle-collect="$function" "$driver" --count "$way" "$count" >"$scratch/$way.log" 2>&1 ||
        { cat "$scratch/$way.log" >&2; exit 1; }
    sed -n 's/^totals: \([0-9]*\).*/\1/p' "$scratch/$way.out"
}
plain=$(instructions plain CollectPlainUpdates)
secure=$(instructions secure CollectSecureUpdates)
held=$(instructions held CollectHeldUpdates)
awk -v plain="$plain" -v secure="$secure" -v held="$held" -v n="$count" 'BEGIN {
    printf "instructions per update over %d updates\n", n
    printf "  plain                          %12.0f\n", plain / n
    printf "  secure (acquire, update)       %12.0f  ratio %.1f\n", secure / n, secure / plain
    printf "  secure, credentials held       %12.0f  ratio %.1f\n", held / n, held / plain
}'
