#!/usr/bin/env bash
# vantrel watch and vantrel status as processes against the lab: what goes
# out, what a restart remembers, exit codes, signals, and a server that
# never answers.   watch_process_test.sh VANTREL LAB ACCOUNTS
set -u
vantrel=$1
scratch=$(mktemp -d)
. "$(dirname "$0")/../../peers/common.sh"
trap 'stop_labs; rm -rf "$scratch"' EXIT
mkdir "$scratch/silent"
start_lab "$2" "$3" "$scratch/silent" || exit 1
silent_port=$lab_port
kill -STOP "$lab_pid"
start_lab "$2" "$3" "$scratch" || exit 1
lab=127.0.0.1:$lab_port
r=(--registry "$scratch/hive.reg")
"$vantrel" register "${r[@]}" >/dev/null || fail "register"
# DipDNS and Dynam both send the address in the query.
"$vantrel" settings dipdns host=home.dipdns.test key=7d1f3c2a9b -o "$scratch/dipdns.blob" "${r[@]}"
"$vantrel" settings dynam host=dana.dynam.test user=dana password=dyn4m-pw \
    -o "$scratch/dynam.blob" "${r[@]}"

# config SOURCE [CABIN_PROXY]: profiles cabin (Dynam) and home (DipDNS).
config() {
    printf '%s\n' "[address]" "source = $1" "interval = 3600" "[retry]" "first = 3600" \
        "jitter = 0" "[profile cabin]" "provider = dynam" "settings = dynam.blob" \
        "proxy = ${2:-$lab}" "[profile home]" "provider = dipdns" "settings = dipdns.blob" \
        "proxy = $lab" >"$scratch/watch.conf"
}
watch=("$vantrel" watch --config "$scratch/watch.conf" --state "$scratch/state.json" "${r[@]}")
# once WANT [ARGS...]: one check; its log lands in $scratch/err.
once() {
    local want=$1 code=0
    shift
    timeout 60 "${watch[@]}" --once "$@" >/dev/null 2>"$scratch/err" || code=$?
    [ "$code" = "$want" ] || fail "watch --once $* exited $code: $(cat "$scratch/err")"
}
# updates ADDRESS COUNT: the lab saw COUNT update requests for ADDRESS.
updates() {
    local got
    got=$(grep -F "$1" "$scratch/lab.log" | grep -vc /lab/)
    [ "$got" = "$2" ] || fail "$got updates for $1, expected $2"
}

# Each change goes out once per profile, across restarts.
config "url http://$lab/lab/myip"
"$vantrel" http "http://$lab/lab/myip?set=198.51.100.20" >/dev/null
once 0
updates 198.51.100.20 2
once 0
updates 198.51.100.20 2
! grep -q "^update " "$scratch/err" || fail "a restart sent again: $(cat "$scratch/err")"
"$vantrel" http "http://$lab/lab/myip?set=198.51.100.21" >/dev/null
once 0
updates 198.51.100.21 2
"$vantrel" status --state "$scratch/state.json" >"$scratch/out" || fail "status"
[ "$(grep -c "198.51.100.21  2 update accepted" "$scratch/out")" = 2 ] || fail "status: $(cat "$scratch/out")"

# A broken state file stops the watch, unless it is told to start anew.
echo '{"version": 1, "profiles": {' >"$scratch/state.json"
once 1
grep -qF "unusable: not a JSON object; move it away or start with --reset-state" "$scratch/err" ||
    fail "broken state: $(cat "$scratch/err")"
updates 198.51.100.21 2
"$vantrel" status --state "$scratch/state.json" >/dev/null 2>&1 && fail "status of a broken state"
# Dynam calls the repeat a duplicate (status 4), so not all is current.
once 1 --reset-state
updates 198.51.100.21 4

# A bad config exits 2 with one line naming the file and line.
config "file $scratch/address"
sed -i 's/provider = dynam/provider = nosuch/' "$scratch/watch.conf"
once 2
[ "$(cat "$scratch/err")" = "vantrel watch: $scratch/watch.conf:8: no such provider: \"nosuch\" (see vantrel list)" ] ||
    fail "bad config: $(cat "$scratch/err")"

# SIGHUP reloads; SIGTERM stops within a second while idle for an hour.
echo 198.51.100.30 >"$scratch/address"
config "file $scratch/address"
"${watch[@]}" 2>"$scratch/err" &
pid=$!
wait_until 20 grep -qs "^update profile=home" "$scratch/err" || fail "no update came"
kill -HUP "$pid"
wait_until 5 grep -qx "reload config=$scratch/watch.conf profiles=2" "$scratch/err" || fail "no reload"
kill -TERM "$pid"
wait_until 1 pid_gone "$pid" || { fail "still running a second after SIGTERM"; kill -KILL "$pid"; }
wait "$pid" || fail "SIGTERM: exit $?"
[ "$(tail -1 "$scratch/err")" = stop ] || fail "the last line is not stop: $(tail -1 "$scratch/err")"

# A server that takes the request and never answers fails its profile
# within the HTTP client's 10 s receive wait; the other profile still runs.
echo 198.51.100.40 >"$scratch/address"
config "file $scratch/address" "127.0.0.1:$silent_port"
start=$SECONDS
once 1
[ $((SECONDS - start)) -lt 25 ] || fail "a silent server took $((SECONDS - start)) s"
for line in "update profile=cabin provider=dynam address=198.51.100.40 status=3" \
    "backoff profile=cabin provider=dynam address=198.51.100.40 failures=1 retry_in=3600s" \
    "update profile=home provider=dipdns address=198.51.100.40 status=2"; do
    [ "$(grep -c "^$line" "$scratch/err")" = 1 ] || fail "not once: $line in $(cat "$scratch/err")"
done

exit $((failures == 0 ? 0 : 1))
