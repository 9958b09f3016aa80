#!/usr/bin/env bash
# `vantrel update win2000` against Debian's BIND 9 on a loopback port (the
# server's port 53 sent there with --connect-to), each outcome checked with
# dig, plus the server name that does not resolve, in a loopback-only
# network namespace so the failing lookup never leaves the machine.
#   update_named_test.sh VANTREL MODULE
set -u
vantrel=$1
module=$2
here=$(cd "$(dirname "$0")" && pwd)
peers=$(cd "$here/../../peers" && pwd)
. "$peers/common.sh"

scratch=$(mktemp -d)
cleanup() {
    "$peers/named" stop "$scratch/named" >/dev/null 2>&1
    rm -rf "$scratch"
}
trap cleanup EXIT
port=$("$peers/named" start "$scratch/named") || exit 1
export VANTREL_REGISTRY="$scratch/hive.reg"
"$vantrel" register --module "$module" >/dev/null || { echo "register failed" >&2; exit 1; }

# update NAME TTL ADDRESS [SERVER]: one run; its JSON on stdout.
update() {
    "$vantrel" settings win2000 server="${4:-127.0.0.1}" name="$1" ttl="$2" security=off \
        -o "$scratch/blob" >/dev/null || fail "settings for $1"
    "$vantrel" update win2000 --settings "$scratch/blob" --ip "$3" --json \
        --connect-to "127.0.0.1:53:127.0.0.1:$port"
}

# expect NAME TTL ADDRESS STATUS MESSAGE RECORDS [SERVER]: the run's JSON,
# then the name's A records as sorted "TTL ADDRESS" lines.
expect() {
    local got want
    got=$(update "$1" "$2" "$3" "${7:-}")
    want="{\"status\": $4, \"meaning\": \"$([ "$4" = 2 ] && echo "update accepted" ||
        echo "update not carried out")\", \"message\": \"$5\", \"hresult\": \"$([ "$4" = 2 ] &&
        echo 0x00000000 || echo 0x80004005)\"}"
    [ "$got" = "$want" ] || fail "$1 $3: got $got, want $want"
    got=$(dig @127.0.0.1 -p "$port" +norecurse +noall +answer "$1" A | awk '{print $2, $5}' | sort)
    [ "$got" = "$6" ] || fail "records of $1: got '$got', want '$6'"
}

# The record takes the address and TTL; other A records of the name stay.
expect new.vantrel.test 600 203.0.113.7 2 "" "600 203.0.113.7"
expect new.vantrel.test 900 203.0.113.8 2 "" "900 203.0.113.7
900 203.0.113.8"
expect vantrel.test 300 203.0.113.9 2 "" "300 203.0.113.9" localhost

# TTLs at both ends go out as given.
expect ttl0.vantrel.test 0 198.51.100.1 2 "" "0 198.51.100.1"
expect ttlmax.vantrel.test 2147483647 198.51.100.2 2 "" "2147483647 198.51.100.2"

# The server's refusals and the zone walk's.
expect host.locked.test 300 203.0.113.7 3 \
    "Error (9005) trying to update the A record for record domain name: host.locked.test" \
    "300 192.0.2.1"
expect host.nowhere.test 300 203.0.113.7 3 \
    "Error (9005) trying to update the A record for record domain name: host.nowhere.test" ""

# A dotted address that inet_addr cannot tell from its error value.
expect bad.vantrel.test 300 255.255.255.255 3 "Error trying to convert the IP: 255.255.255.255" ""

# A server name that does not resolve, where no lookup can leave.
if unshare -n true 2>/dev/null; then
    got=$(unshare -n bash -c "$(declare -f update); vantrel=$vantrel scratch=$scratch port=$port \
        update host.vantrel.test 300 203.0.113.7 dns.unresolvable.vantrel.test")
    want="Error trying to convert the IP for server: dns.unresolvable.vantrel.test"
    case $got in
        *"\"message\": \"$want\""*) ;;
        *) fail "unresolvable server: $got" ;;
    esac
else
    echo "unshare -n is not allowed here: the unresolvable server is not tested" >&2
fi

[ "$failures" -eq 0 ] && echo "all win2000 updates as expected"
exit $((failures > 0))
