#!/usr/bin/env bash
# `vantrel update` for the six template providers against vantrel-lab on a
# loopback port: some sent straight to the lab with --connect-to, some with
# the lab as their proxy, one through Debian's tinyproxy in front of it.
#   update_lab_test.sh VANTREL MODULE LAB ACCOUNTS
# Nothing here looks a name up: every service name is routed to 127.0.0.1.
set -u
vantrel=$1
module=$2
lab=$3
accounts=$4
here=$(cd "$(dirname "$0")" && pwd)
peers=$(cd "$here/../../peers" && pwd)
. "$peers/common.sh"
. "$here/settings_blob.sh"

scratch=$(mktemp -d)
cleanup() {
    stop_labs
    [ ! -f "$scratch/tinyproxy/tinyproxy.pid" ] || "$peers/tinyproxy" stop "$scratch/tinyproxy"
    rm -rf "$scratch"
}
trap cleanup EXIT
hive="$scratch/hive.reg"

start_lab "$lab" "$accounts" "$scratch" || exit 1
port=$lab_port
"$vantrel" register --registry "$hive" --module "$module" >/dev/null || { echo "register failed" >&2; exit 1; }

{ blob_list home.dipdns.test office.dipdns.test cabin.dipdns.test; blob_text 7d1f3c2a9b; } >"$scratch/dipdns"
{ blob_text erin.dnsexit.test; blob_text erin; blob_text ex1t-pw; } >"$scratch/dnsexit"
{ blob_text erin.dnsexit.test; blob_text erin; blob_text wrong; } >"$scratch/dnsexit-wrong"
{ blob_list koti.dy.fi mokki.dy.fi; blob_text aino; blob_text sauna-pw; blob_int 1; } >"$scratch/dyfi"
{ blob_text dana.dynam.test; blob_text dana; blob_text dyn4m-pw; } >"$scratch/dynam"
{ blob_text box.dynup.test; blob_text upup-pw; } >"$scratch/dynup"
{ blob_list " eve.eurodyndns.test" lab.eurodyndns.test; blob_text eve; blob_text eur0-pw; } >"$scratch/eurodyndns"

# expect EXIT STATUS PROVIDER ARGS...: the exit code and the printed status.
expect() {
    local want_exit=$1 want_status=$2 provider=$3
    shift 3
    "$vantrel" update "$provider" --registry "$hive" "$@" >"$scratch/out" 2>"$scratch/err"
    local got=$?
    if [ "$got" -ne "$want_exit" ]; then
        fail "update $provider $* gave $got, expected $want_exit: $(cat "$scratch/out" "$scratch/err")"
    elif [ -n "$want_status" ] && ! grep -q "^status:  $want_status " "$scratch/out"; then
        fail "update $provider $* should give status $want_status: $(cat "$scratch/out")"
    fi
}
direct() { echo "--connect-to $1:80:127.0.0.1:$port"; }
via_lab="--proxy 127.0.0.1:$port"

expect 0 2 dipdns --settings "$scratch/dipdns" --ip 198.51.100.21 $(direct www.dipdns.com)
expect 0 2 dnsexit --settings="$scratch/dnsexit" --ip=198.51.100.16 $(direct update.dnsexit.com)
expect 0 2 dyfi --settings "$scratch/dyfi" --ip 198.51.100.22 $via_lab
# The answers after the host names' tabs line up, as do the message's lines.
printf 'message: koti.dy.fi ::  good 127.0.0.1\n         mokki.dy.fi :: good 127.0.0.1\n' |
    cmp -s - <(grep -A1 '^message:' "$scratch/out") || fail "dyfi message laid out as: $(cat "$scratch/out")"
expect 0 2 dynam --settings "$scratch/dynam" --ip 198.51.100.14 $(direct dynam.ac) --init
expect 0 2 dynup --settings "$scratch/dynup" --ip 198.51.100.15 $via_lab
expect 0 2 eurodyndns --settings "$scratch/eurodyndns" --ip 198.51.100.17 $via_lab
"$vantrel" update dynup --registry "$hive" --settings "$scratch/dynup" --ip 1.2.3.4 $via_lab \
    --json >"$scratch/json"
grep -q '^{"status": 2, "meaning": "update accepted", "message": "box.dynup.test ::\\tUpdate complete!.*", "hresult": "0x00000000"}$' \
    "$scratch/json" || fail "--json output: $(cat "$scratch/json")"

# Usage and setup errors.
expect 2 "" no-such-provider --settings "$scratch/dynup" --ip 1.2.3.4
expect 2 "" dynup --settings "$scratch/dynup"
expect 2 "" dynup --settings "$scratch/dynup" --ip 1.2.3.4 --connect-to nonsense
# --ip is checked here: the module would send whatever it is given.
for ip in hello 999.1.2.3 "" 1.2.3 1.2.3.4.5 01.2.3.4 " 1.2.3.4" 1.2.3.4x; do
    expect 2 "" dynup --settings "$scratch/dynup" --ip "$ip" $via_lab
    grep -qxF "vantrel update: --ip wants a dotted IPv4 address such as 203.0.113.7, not '$ip' (see vantrel update --help)" \
        "$scratch/err" || fail "--ip '$ip': $(cat "$scratch/err")"
done
expect 0 2 dynup --settings "$scratch/dynup" --ip 255.255.255.255 $via_lab
expect 1 "" dynup --settings "$scratch/missing" --ip 1.2.3.4
"$vantrel" update dynup --registry "$scratch/empty.reg" --settings "$scratch/dynup" --ip 1.2.3.4 \
    2>"$scratch/err" >/dev/null
grep -q 'not registered.*vantrel register' "$scratch/err" || fail "unregistered class: $(cat "$scratch/err")"
# Nothing listens there: the request fails, status 3, and as the module
# gives no message the host says why.
closed=$(free_port)
expect 1 3 dipdns --settings "$scratch/dipdns" --ip 1.2.3.4 --connect-to "www.dipdns.com:80:127.0.0.1:$closed"
grep -qx "reason:  connection refused by 127.0.0.1:$closed" "$scratch/out" || fail "no reason: $(cat "$scratch/out")"
# A service's own refusal keeps its message and gets no reason line.
expect 1 4 dnsexit --settings "$scratch/dnsexit-wrong" --ip 198.51.100.99 $(direct update.dnsexit.com)
! grep -q "^reason:" "$scratch/out" || fail "a reason beside the message: $(cat "$scratch/out")"

# A blob that does not walk against the layout is refused and nothing is
# sent; --force hands it over all the same.
{ blob_int 0x7fffffff; blob_text koti.dy.fi; blob_text aino; blob_text sauna-pw; blob_int 0; } \
    >"$scratch/dyfi-patched"
sent=$(wc -l <"$scratch/lab.log")
expect 1 "" dyfi --settings "$scratch/dyfi-patched" --ip 198.51.100.22 $via_lab
grep -qx "vantrel update: $scratch/dyfi-patched is not a valid dyfi settings blob: host at offset 0: count 2147483647 runs past the end (41 bytes left); --force uses it as it is" \
    "$scratch/err" || fail "patched blob: $(cat "$scratch/err")"
[ "$(wc -l <"$scratch/lab.log")" -eq "$sent" ] || fail "a refused blob reached the lab"
expect 1 "" dyfi --settings "$scratch/dyfi-patched" --ip 198.51.100.22 $via_lab --force
[ "$(wc -l <"$scratch/lab.log")" -gt "$sent" ] || fail "--force sent nothing"

# Through tinyproxy, which hands every request on to the lab.
if proxy_port=$("$peers/tinyproxy" start "$scratch/tinyproxy" "$port"); then
    expect 0 2 eurodyndns --settings "$scratch/eurodyndns" --ip 203.0.113.17 --proxy "127.0.0.1:$proxy_port"
    grep -q '"GET http://eurodyndns.org.*myip=203.0.113.17 ' "$scratch/lab.log" ||
        fail "tinyproxy did not pass the request on: $(cat "$scratch/lab.log")"
else
    fail "tinyproxy did not start"
fi

"$vantrel" http "http://127.0.0.1:$port/lab/records" >"$scratch/records"
for row in "dipdns +cabin.dipdns.test +198.51.100.21" "dnsexit +erin.dnsexit.test +198.51.100.16" \
    "dyfi +mokki.dy.fi +127.0.0.1 +yes" "dynam +dana.dynam.test +198.51.100.14" \
    "dynup +box.dynup.test +127.0.0.1" "eurodyndns +eve.eurodyndns.test +203.0.113.17"; do
    grep -Eq "^$row" "$scratch/records" || fail "record table lacks '$row': $(cat "$scratch/records")"
done

[ "$failures" -eq 0 ] || exit 1
echo "all updates as expected"
