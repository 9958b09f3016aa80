#!/usr/bin/env bash
# The module exports exactly its four entry points.
set -euo pipefail
got=$(nm -D --defined-only "$1" | awk '$2 == "T" || $2 == "D" || $2 == "B" || $2 == "W" { print $3 }' | sort)
want=$(printf '%s\n' DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)
if [ "$got" != "$want" ]; then
    echo "exports of $1:" >&2
    echo "$got" >&2
    exit 1
fi
