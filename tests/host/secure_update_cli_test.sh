#!/usr/bin/env bash
# vantrel update win2000 with secure updates only, against the private KDC
# and named of tests/peers/secure-dns: the messages a user reads.
#   secure_update_cli_test.sh VANTREL MODULE PEER_DIR
set -u
vantrel=$1
module=$2
peers=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
port=$(cat "$peers/port")
r=(--registry "$scratch/hive.reg")
. "$(dirname "$0")/../peers/common.sh"
"$vantrel" register "${r[@]}" --module "$module" >/dev/null || fail "register"
export KRB5_CONFIG="$peers/krb5.conf" KRB5CCNAME="FILE:$scratch/cc"

# blob NAME KEY=VALUE...: Windows DNS settings for host.secure.test on 127.0.0.1.
blob() {
    local name=$1
    shift
    "$vantrel" settings win2000 server=127.0.0.1 name=host.secure.test ttl=60 "$@" \
        -o "$scratch/$name.blob" "${r[@]}" || fail "settings $name"
}

# expect NAME ADDRESS EXIT MESSAGE: one update and the message it leaves.
expect() {
    local code=0 message
    "$vantrel" update win2000 --settings "$scratch/$1.blob" --ip "$2" "${r[@]}" \
        --connect-to "127.0.0.1:53:127.0.0.1:$port" --json >"$scratch/out" 2>&1 || code=$?
    message=$(sed -n 's/.*"message": "\(.*\)", "hresult".*/\1/p' "$scratch/out")
    [ "$code" = "$3" ] && [ "$message" = "$4" ] ||
        fail "$1: exit $code with '$message', expected exit $3 and '$4'"
}

addresses() { dig +short +time=2 +tries=1 @127.0.0.1 -p "$port" host.secure.test A | sort | tr '\n' ' '; }

blob alice user=alice password=alice-Pw-1 domain=vantrel.test security=secure-only
expect alice 198.51.100.31 0 ""
[[ " $(addresses)" == *" 198.51.100.31 "* ]] || fail "the secure update did not land: $(addresses)"

blob wrong user=alice password=not-hers domain=vantrel.test security=secure-only
expect wrong 198.51.100.32 1 'Error (-2146893044) trying to aquire dns security context for: alice\\vantrel.test'

KRB5_CONFIG="$peers/krb5-nokdc.conf" \
    expect alice 198.51.100.33 1 'Error (-2146893039) trying to aquire dns security context for: alice\\vantrel.test'

# No user name: the process's tickets, and there are none.
blob own security=secure-only
expect own 198.51.100.34 1 'Error (-2146893042) trying to aquire dns security context for: \\'

# Unsigned, to a zone that takes only signed updates.
blob unsigned user=alice password=alice-Pw-1 domain=vantrel.test security=off
expect unsigned 198.51.100.35 1 'Error (9005) trying to update the A record for record domain name: host.secure.test'

[[ " $(addresses)" != *" 198.51.100.3"[2-5]" "* ]] || fail "a failed update landed: $(addresses)"
exit $((failures == 0 ? 0 : 1))
