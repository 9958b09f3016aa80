#!/usr/bin/env bash
# The host's commands from the command line: exit codes, the one line a
# failure prints, and what settings writes and shows.
#   cli_test.sh VANTREL MODULE
set -u
vantrel=$1
module=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
hive="$scratch/hive.reg"
r=(--registry "$hive")
. "$(dirname "$0")/../peers/common.sh"

# expect CODE ARGS...: vantrel's exit code; a failure is one line on stderr
# unless one_line=no.
one_line=yes
expect() {
    local want=$1
    shift
    "$vantrel" "$@" >"$scratch/out" 2>"$scratch/err"
    local got=$?
    if [ "$got" -ne "$want" ]; then
        fail "vantrel $* gave $got, expected $want: $(cat "$scratch/err")"
    elif [ "$want" -ne 0 ] && [ "$one_line" = yes ] && [ "$(wc -l <"$scratch/err")" -ne 1 ]; then
        fail "vantrel $* should print one line on stderr"
    fi
}
# hex of a file, one line
hex() { od -An -tx1 -v "$1" | tr -d ' \n'; }

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
expect 0 register --registry "$hive" --module "$module"
expect 0 unregister --registry="$hive" --module="$module"
# A failed call's HRESULT comes with its name and what it means.
expect 1 unregister --registry "$hive" --module "$module"
grep -qxF "vantrel unregister: DllUnregisterServer failed: 0x8002801D (TYPE_E_LIBNOTREGISTERED): nothing of this module is registered in $hive" \
    "$scratch/err" || fail "unregister twice: $(cat "$scratch/err")"

# A damaged hive is refused with one line and left as it was.
printf 'not a hive\n' >"$scratch/damaged.reg"
expect 1 register --registry "$scratch/damaged.reg" --module "$module"
grep -q "is damaged or nests keys deeper than 512 levels; nothing was changed" "$scratch/err" &&
    [ "$(cat "$scratch/damaged.reg")" = "not a hive" ] || fail "damaged hive: $(cat "$scratch/err")"

expect 0 list --module "$module"
[ "$(wc -l <"$scratch/out")" -eq 9 ] || fail "list should give 9 lines"
grep -q '^21  DipDNS Network .*Vantrel.DipDNS .*Vantrel.DipDNSObj$' "$scratch/out" ||
    fail "list misses DipDNS"
# info: a summary; --verbose adds the record without its comment lines.
expect 0 info --module "$module"
mv "$scratch/out" "$scratch/info"
printf 'name:    Vantrel\nversion: 2.1.0.1\npath:    %s\n' "$module" | cmp -s - "$scratch/info" ||
    fail "info gave: $(cat "$scratch/info")"
"$vantrel" info --verbose --module="$module" >"$scratch/verbose"
{ head -4 "$scratch/verbose" | cmp -s - <(cat "$scratch/info"; echo) &&
    grep -qx '\[StringFileInfo\\040904b0\]' "$scratch/verbose" &&
    grep -qx 'OriginalFilename=Vantrel.dll' "$scratch/verbose" &&
    ! grep -q '^#' "$scratch/verbose"; } ||
    fail "info --verbose gave: $(cat "$scratch/verbose")"

expect 0 register "${r[@]}" --module "$module"

# settings: usage errors name the key and write nothing.
for bad in "nokey=1" "port=abc" "port=70000" "request=3" "transport=udp" "user"; do
    expect 2 settings gnudip "$bad" -o "$scratch/bad.blob" "${r[@]}"
    key=${bad%%=*}
    grep -q "$key" "$scratch/err" || fail "the error for $bad does not name $key"
    [ ! -e "$scratch/bad.blob" ] || fail "$bad wrote a blob"
done
expect 2 settings dynup host=a host=b -o "$scratch/bad.blob" "${r[@]}"
expect 2 settings win2000 ttl=-1 -o "$scratch/bad.blob" "${r[@]}"
expect 2 settings dynup host=a "${r[@]}"
expect 2 settings nosuchprovider --help
expect 0 settings --help
expect 0 settings win2000 --help
grep -q "^  security " "$scratch/out" || fail "win2000 --help misses security"
expect 1 settings dynup --show "$scratch/missing.blob" "${r[@]}"
grep -q "missing.blob" "$scratch/err" || fail "a missing file is not named"

# Providers by short name in any case, by ID and by ProgID; Dynup's blob
# for a three-letter host and a two-letter password is 15 bytes.
dynup=040000006162630003000000707700
for name in dynup DynUp 15 Vantrel.Dynup Vantrel.DynupObj.1; do
    expect 0 settings "$name" host=abc password=pw -o "$scratch/dynup.blob" "${r[@]}"
    [ "$(hex "$scratch/dynup.blob")" = "$dynup" ] || fail "$name: $(hex "$scratch/dynup.blob")"
done

# Win2000 with empty texts, TTL 300 and security off: 28 bytes.
expect 0 settings win2000 ttl=300 security=off -o "$scratch/w.blob" "${r[@]}"
[ "$(hex "$scratch/w.blob")" = "00000000000000002c01000000000000000000000000000010000000" ] ||
    fail "win2000: $(hex "$scratch/w.blob")"

# --show reads back through the page, passwords masked unless --reveal.
expect 0 settings dyfi host=b.example host=a.example user=me password=secret offline=1 \
    -o "$scratch/dyfi.blob" "${r[@]}"
expect 0 settings dyfi --show "$scratch/dyfi.blob" "${r[@]}"
printf 'host=a.example\nhost=b.example\nuser=me\npassword=********\noffline=1\n' >"$scratch/want"
cmp -s "$scratch/out" "$scratch/want" || fail "dyfi --show: $(cat "$scratch/out")"
expect 0 settings dyfi --show "$scratch/dyfi.blob" --reveal "${r[@]}"
grep -qx "password=secret" "$scratch/out" || fail "--reveal hides the password"

# --dump says where a blob stops matching.
head -c 6 "$scratch/dynup.blob" >"$scratch/cut.blob"
expect 0 settings dynup --dump "$scratch/cut.blob"
grep -q "host: length 4 runs past the end (2 bytes left)$" "$scratch/out" ||
    fail "dump of a cut blob: $(cat "$scratch/out")"

# A file that is not the provider's blob is refused by --show and
# configure, naming the field and offset; --force shows it all the same.
printf 'random bytes, not a blob at all' >"$scratch/random.blob"
expect 1 settings dyfi --show "$scratch/random.blob" "${r[@]}"
grep -qx "vantrel settings: $scratch/random.blob is not a valid dyfi settings blob: host at offset 0: count 1684955506 runs past the end (27 bytes left); --force uses it as it is" \
    "$scratch/err" || fail "--show of random bytes: $(cat "$scratch/err")"
expect 0 settings dyfi --show "$scratch/random.blob" --force "${r[@]}"
expect 1 configure dynup -i "$scratch/cut.blob" "${r[@]}"
grep -q "not a valid dynup settings blob: host at offset 0: " "$scratch/err" ||
    fail "configure of a cut blob: $(cat "$scratch/err")"

expect 0 configure --help
expect 2 configure dyfi "${r[@]}"
expect 1 configure dyfi -i "$scratch/missing.blob" "${r[@]}"

# vantrel http says why a request read no status, on one line. The
# --connect-to rule with an empty HOST and PORT goes through the host's one
# parser, shared with update.
closed=$(free_port)
http_fails() {
    local why=$1
    shift
    expect 1 http "$@"
    [ "$(cat "$scratch/out")" = "-1" ] && grep -qxF "vantrel http: $why" "$scratch/err" ||
        fail "http $*: $(cat "$scratch/out" "$scratch/err")"
}
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
