#!/usr/bin/env bash
# Registrations under kill -9 and concurrency, each loop for a bounded time:
#   hive_loops_test.sh VANTREL MODULE LAB ACCOUNTS [SECONDS_PER_LOOP]
# Every registration or unregistration is one all-or-nothing change of the
# hive: a killed one leaves the hive as it was or as it would have left it,
# two at once are serialised with both results applied, and a host creating
# objects meanwhile always finds the classes.
set -u
vantrel=$1
module=$2
lab=$3
accounts=$4
seconds=${5:-3}
scratch=$(mktemp -d)
. "$(dirname "$0")/../peers/common.sh"
trap 'stop_labs; rm -rf "$scratch"' EXIT

# run COMMAND HIVE [MODULE]: register or unregister, quietly.
run() { "$vantrel" "$1" --registry "$2" --module "${3:-$module}" >/dev/null 2>&1; }

# The two states a hive can be in: registered, and unregistered again.
run register "$scratch/full.reg" || { echo "register failed" >&2; exit 1; }
cp "$scratch/full.reg" "$scratch/empty.reg"
run unregister "$scratch/empty.reg" || { echo "unregister failed" >&2; exit 1; }
# state FILE: full, empty, missing or half-done.
state() {
    if [ ! -e "$1" ]; then echo missing
    elif cmp -s "$1" "$scratch/full.reg"; then echo full
    elif cmp -s "$1" "$scratch/empty.reg"; then echo empty
    else echo half-done
    fi
}
deadline() { echo $((SECONDS + seconds)); }

# kill -9 at a random moment of a register (from no hive or an empty one)
# or an unregister (from a full one).
hive="$scratch/killed/hive.reg"
mkdir -p "$scratch/killed"
runs=0 killed=0
end=$(deadline)
while [ "$SECONDS" -lt "$end" ]; do
    case $((runs % 3)) in
        0) rm -f "$hive"; from=missing command=register to=full ;;
        1) cp "$scratch/empty.reg" "$hive"; from=empty command=register to=full ;;
        2) cp "$scratch/full.reg" "$hive"; from=full command=unregister to=empty ;;
    esac
    # Not through run: the kill must reach vantrel itself, not a subshell.
    "$vantrel" "$command" --registry "$hive" --module "$module" >/dev/null 2>&1 &
    pid=$!
    sleep "$(printf '0.%03d' $((RANDOM % 30)))"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null  # bash would report the kill
    [ $? -eq 137 ] && killed=$((killed + 1))
    got=$(state "$hive")
    [ "$got" = "$from" ] || [ "$got" = "$to" ] ||
        fail "a $command killed from $from left the hive $got"
    runs=$((runs + 1))
done
[ "$killed" -gt 0 ] || fail "no run of $runs was killed before it ended"
cp "$scratch/empty.reg" "$hive"
run register "$hive" || fail "register after the kills failed"
# The next write leaves no temporary file of a killed one.
[ "$(ls "$scratch/killed")" = hive.reg ] || fail "files beside the hive: $(ls "$scratch/killed")"
echo "kill -9: $runs runs, $killed killed"

# Two at once: a register and an unregister from a full or an empty hive,
# or two registers into a new one. Whichever runs last decides the hive,
# and nothing is half done.
hive="$scratch/both.reg"
runs=0
end=$(deadline)
while [ "$SECONDS" -lt "$end" ]; do
    case $((runs % 3)) in
        0) cp "$scratch/full.reg" "$hive"; from=full second=unregister ;;
        1) cp "$scratch/empty.reg" "$hive"; from=empty second=unregister ;;
        2) rm -f "$hive"; from=missing second=register ;;
    esac
    run register "$hive" &
    first_pid=$!
    run "$second" "$hive" &
    second_pid=$!
    wait "$first_pid" || fail "register from $from failed beside a $second"
    wait "$second_pid"
    second_exit=$?
    got=$(state "$hive")
    # From an empty hive an unregister that runs first has nothing to remove.
    if [ "$second_exit" -ne 0 ] && ! { [ "$from" = empty ] && [ "$got" = full ]; }; then
        fail "$second from $from exited $second_exit, hive $got"
    elif [ "$got" != full ] && { [ "$got" != empty ] || [ "$second" = register ]; }; then
        fail "register and $second from $from left the hive $got"
    fi
    runs=$((runs + 1))
done
echo "two at once: $runs runs"

# Updates through the registry while the module is registered again and
# again, from two paths in turn so that every registration rewrites the hive.
start_lab "$lab" "$accounts" "$scratch" || exit 1
mkdir -p "$scratch/copy"
cp "$module" "$scratch/copy/"
hive="$scratch/update.reg"
run register "$hive" || fail "register before the updates failed"
"$vantrel" settings dynup host=box.dynup.test password=upup-pw -o "$scratch/dynup" \
    --registry "$hive" || fail "settings"
end=$(deadline)
(
    i=0
    while [ "$SECONDS" -lt "$end" ]; do
        if [ $((i % 2)) -eq 0 ]; then path="$scratch/copy/$(basename "$module")"; else path=$module; fi
        run register "$hive" "$path" || echo "register $i failed" >>"$scratch/registers"
        i=$((i + 1))
    done
) &
registers=$!
updates=0 failed=0
while [ "$SECONDS" -lt "$end" ]; do
    "$vantrel" update dynup --registry "$hive" --settings "$scratch/dynup" \
        --ip "198.51.100.$((updates % 250 + 1))" --proxy "127.0.0.1:$lab_port" >"$scratch/out" 2>&1 ||
        { failed=$((failed + 1)); cp "$scratch/out" "$scratch/failed"; }
    updates=$((updates + 1))
done
wait "$registers"
[ "$failed" -eq 0 ] || fail "$failed of $updates updates failed: $(cat "$scratch/failed")"
[ ! -e "$scratch/registers" ] || fail "$(cat "$scratch/registers")"
echo "updates while registering: $updates updates"

exit $((failures == 0 ? 0 : 1))
