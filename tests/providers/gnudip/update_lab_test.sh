#!/usr/bin/env bash
# `vantrel update linuxrc` and `vantrel update gnudip` (TCP and HTTP form,
# request codes 0, 1 and 2) against vantrel-lab's GnuDIP server, refusals
# included. (Proxies between host and server are tested with the HTTP providers.)
#   update_lab_test.sh VANTREL MODULE LAB ACCOUNTS
# Nothing here looks a name up: LinuxRC's server name is routed with
# --connect-to, the HTTP form's through a proxy.
set -u
vantrel=$1
module=$2
lab=$3
accounts=$4
here=$(cd "$(dirname "$0")" && pwd)
peers=$(cd "$here/../../peers" && pwd)
. "$peers/common.sh"

scratch=$(mktemp -d)
cleanup() {
    stop_labs
    rm -rf "$scratch"
}
trap cleanup EXIT

start_lab "$lab" "$accounts" "$scratch" || exit 1
port=$lab_port
gnudip_port=$lab_gnudip_port
registry=(--registry "$scratch/hive.reg")
"$vantrel" register "${registry[@]}" --module "$module" >/dev/null || { echo "register failed" >&2; exit 1; }

settings() {
    local name=$1 provider=$2
    shift 2
    "$vantrel" settings "$provider" "${registry[@]}" "$@" -o "$scratch/$name" ||
        fail "settings $provider $*"
}
url=http://gnudip.linuxrc.net/gnudip/cgi-bin/gdipupdt.cgi
settings lin linuxrc user=lin domain=linuxrc.test password=penguin-pw
settings lin-wrong linuxrc user=lin domain=linuxrc.test password=wrong
for code in 0 1 2; do
    settings tcp$code gnudip user=gail domain=dip.test password=g3n-pw request=$code \
        transport=tcp server=127.0.0.1 port="$gnudip_port"
    settings http$code gnudip user=gail domain=dip.test password=g3n-pw request=$code \
        transport=http url="$url"
done
settings tcp-wrong gnudip user=gail domain=dip.test password=wrong request=0 transport=tcp \
    server=127.0.0.1 port="$gnudip_port"
settings http-wrong gnudip user=gail domain=elsewhere.test password=g3n-pw request=2 \
    transport=http url="$url"

# expect STATUS MESSAGE SETTINGS ADDRESS ARGS...: the status and the exact
# message, and the host's reason when $reason is set.
expect() {
    local want_status=$1 want_message=$2 blob=$3 address=$4 provider=gnudip
    shift 4
    [[ $blob == lin* ]] && provider=linuxrc
    "$vantrel" update "$provider" "${registry[@]}" --settings "$scratch/$blob" --ip "$address" \
        --json "$@" >"$scratch/out" 2>&1
    grep -Fqx "{\"status\": $want_status, \"meaning\": $(meaning "$want_status"), \"message\": \"$want_message\", \"hresult\": \"$(hresult "$want_status")\"${reason:+, \"reason\": \"$reason\"}}" \
        "$scratch/out" || fail "update $provider $blob $*: $(cat "$scratch/out")"
}
meaning() { [ "$1" -eq 2 ] && echo '"update accepted"' || echo '"update not carried out"'; }
hresult() { [ "$1" -eq 2 ] && echo 0x00000000 || echo 0x80004005; }

to_gnudip="--connect-to ::127.0.0.1:$gnudip_port"
via_lab="--proxy 127.0.0.1:$port"
expect 2 "Successful update!" lin 198.51.100.19 $to_gnudip
expect 3 "Invalid login! Verify your hostname and/or password!" lin-wrong 198.51.100.99 $to_gnudip
# Nothing listens there: no exchange, no message; the host says why.
closed=$(free_port)
reason="connection refused by 127.0.0.1:$closed" expect 3 "" lin 198.51.100.99 \
    --connect-to "gnudip.linuxrc.net:3495:127.0.0.1:$closed"
expect 2 "Successfully updated to new IP address for gail" tcp0 198.51.100.20
expect 2 "Offline request successful for gail" tcp1 198.51.100.20
expect 2 "Successfully updated to new IP address for gail" tcp2 198.51.100.20
expect 3 "Invalid login attempt for gail" tcp-wrong 198.51.100.98
expect 2 "Successfully updated to new IP address for gail" http0 198.51.100.21 $via_lab
expect 2 "Offline request successful for gail" http1 198.51.100.21 $via_lab
expect 3 "Invalid login attempt for gail" http-wrong 198.51.100.97 $via_lab

"$vantrel" http "http://127.0.0.1:$port/lab/records" >"$scratch/records"
grep -Eq '^gnudip +lin\.linuxrc\.test +198\.51\.100\.19 +no +1$' "$scratch/records" ||
    fail "LinuxRC's record: $(cat "$scratch/records")"
grep -Eq '^gnudip +gail\.dip\.test +198\.51\.100\.21 +yes +5$' "$scratch/records" ||
    fail "Generic GnuDIP2's record: $(cat "$scratch/records")"

# Request code 2 registers the address the lab sees.
expect 2 "Successfully updated to new IP address for gail" http2 198.51.100.22 $via_lab
"$vantrel" http "http://127.0.0.1:$port/lab/records" >"$scratch/records"
grep -Eq '^gnudip +gail\.dip\.test +127\.0\.0\.1 +no +6$' "$scratch/records" ||
    fail "code 2: $(cat "$scratch/records")"

if grep -q 'penguin-pw\|g3n-pw' "$scratch/lab.log"; then
    fail "a password went on the wire: $(cat "$scratch/lab.log")"
fi
[ "$failures" -eq 0 ] || exit 1
echo "all GnuDIP updates as expected"
