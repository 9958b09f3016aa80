#!/usr/bin/env bash
# Exit codes of the host's commands: cli_test.sh VANTREL MODULE
set -u
vantrel=$1
module=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
hive="$scratch/hive.reg"
failures=0

# expected exit code, then the command's arguments; a failure is one line
# on stderr unless one_line=no
one_line=yes
expect() {
    local want=$1
    shift
    "$vantrel" "$@" >"$scratch/out" 2>"$scratch/err"
    local got=$?
    if [ "$got" -ne "$want" ]; then
        echo "FAIL: vantrel $* gave $got, expected $want" >&2
        cat "$scratch/err" >&2
        failures=$((failures + 1))
    elif [ "$want" -ne 0 ] && [ "$one_line" = yes ] && [ "$(wc -l <"$scratch/err")" -ne 1 ]; then
        echo "FAIL: vantrel $* should print one line on stderr" >&2
        failures=$((failures + 1))
    fi
}

expect 0 --help
one_line=no expect 2  # usage text
expect 2 no-such-command
for command in list register unregister info; do
    expect 0 "$command" --help
    expect 2 "$command" --no-such-option
    expect 1 "$command" --module "$scratch/missing.so" --registry "$hive"
done
expect 2 register --registry
expect 2 list extra-argument
expect 0 list --module "$module"
expect 0 info --module "$module"
expect 0 register --registry "$hive" --module "$module"
expect 0 unregister --registry="$hive" --module="$module"
# A failed call's HRESULT comes with its name and what it means.
expect 1 unregister --registry "$hive" --module "$module"
grep -qxF "vantrel unregister: DllUnregisterServer failed: 0x8002801D (TYPE_E_LIBNOTREGISTERED): nothing of this module is registered in $hive" \
    "$scratch/err" || { echo "FAIL: unregister twice: $(cat "$scratch/err")" >&2; failures=$((failures + 1)); }

"$vantrel" list --module "$module" >"$scratch/list"
[ "$(wc -l <"$scratch/list")" -eq 9 ] || { echo "FAIL: list should give 9 lines" >&2; failures=$((failures + 1)); }
grep -q '^21  DipDNS Network .*Vantrel.DipDNS .*Vantrel.DipDNSObj$' "$scratch/list" ||
    { echo "FAIL: list misses DipDNS" >&2; failures=$((failures + 1)); }
# info: a summary; --verbose adds the record without its comment lines.
"$vantrel" info --module "$module" >"$scratch/info"
printf 'name:    Vantrel\nversion: 2.1.0.1\npath:    %s\n' "$module" | cmp -s - "$scratch/info" ||
    { echo "FAIL: info gave: $(cat "$scratch/info")" >&2; failures=$((failures + 1)); }
"$vantrel" info --verbose --module="$module" >"$scratch/verbose"
{ head -4 "$scratch/verbose" | cmp -s - <(cat "$scratch/info"; echo) &&
    grep -qx '\[StringFileInfo\\040904b0\]' "$scratch/verbose" &&
    grep -qx 'OriginalFilename=Vantrel.dll' "$scratch/verbose" &&
    ! grep -q '^#' "$scratch/verbose"; } ||
    { echo "FAIL: info --verbose gave: $(cat "$scratch/verbose")" >&2; failures=$((failures + 1)); }

# vantrel http says why a request read no status, on one line. The
# --connect-to rule with an empty HOST and PORT goes through the host's one
# parser, shared with update.
. "$(dirname "$0")/../peers/common.sh"
closed=$(free_port)
http_fails() {
    local why=$1
    shift
    expect 1 http "$@"
    [ "$(cat "$scratch/out")" = "-1" ] || { echo "FAIL: http $*: $(cat "$scratch/out")" >&2; failures=$((failures + 1)); }
    grep -qxF "vantrel http: $why" "$scratch/err" ||
        { echo "FAIL: http $*: $(cat "$scratch/err")" >&2; failures=$((failures + 1)); }
}
http_fails "connection refused by 127.0.0.1:$closed" "http://127.0.0.1:$closed/"
http_fails "connection refused by 127.0.0.1:$closed" http://update.vantrel.test/ --connect-to "::127.0.0.1:$closed"
http_fails "only http URLs can be sent, not ftp:" ftp://127.0.0.1/file
http_fails "'not-a-url' is not a URL (http://HOST[:PORT]/PATH)" not-a-url
http_fails "the URL names no host or holds a control character" "$(printf 'http://127.0.0.1:%s/a?\r\nX: 1' "$closed")"

# Out of memory is a failure like any other: one line, exit 1, no abort.
# A sanitizer build reserves too much address space for a limit to mean much.
if ! ldd "$vantrel" | grep -q libasan; then
    truncate -s 1G "$scratch/huge.blob"
    (ulimit -v 262144 && expect 1 update dynup --settings "$scratch/huge.blob" --ip 1.2.3.4 \
        --registry "$hive" && exit "$failures") || failures=$((failures + 1))
fi

exit $((failures == 0 ? 0 : 1))
