#!/usr/bin/env bash
# vantrel configure in an 80 x 24 tmux pane: keys typed as a person types
# them, the screen read back, and the saved blob compared with the one
# vantrel settings writes.   configure_test.sh VANTREL MODULE
set -u
vantrel=$1
scratch=$(mktemp -d)
trap 'for s in "$scratch"/*.sock; do tmux -S "$s" kill-server 2>/dev/null; done; rm -rf "$scratch"' EXIT
. "$(dirname "$0")/../peers/common.sh"
r=(--registry "$scratch/hive.reg")
"$vantrel" register "${r[@]}" --module "$2" >/dev/null || fail "register"

screen_has() { "${tmux[@]}" capture-pane -p | grep -qF "$1"; }

# configure "KEYS" ARGS...: runs vantrel configure ARGS and, once the page
# is drawn, sends KEYS (tmux key names or text); sets code and leaves the
# last screen in $scratch/screen. Every wait is bounded. Each run has its
# own tmux server: a new one on the socket of one shutting down can fail.
runs=0
configure() {
    local keys=$1
    shift
    runs=$((runs + 1))
    tmux=(env -u TERM tmux -S "$scratch/$runs.sock" -f /dev/null)
    # The pane's shell keeps the exit code: tmux may reap the page late.
    rm -f "$scratch/code"
    "${tmux[@]}" set-option -g remain-on-exit on \; new-session -d -x 80 -y 24 \
        "TERM=vt100 $vantrel configure $* ${r[*]}; echo \$? >$scratch/code"
    wait_until 10 screen_has "Esc cancel" || fail "configure $*: no page"
    # shellcheck disable=SC2086
    "${tmux[@]}" send-keys $keys
    wait_until 10 test -s "$scratch/code" || fail "configure $*: still running"
    "${tmux[@]}" capture-pane -p >"$scratch/screen"
    code=$(cat "$scratch/code")
    "${tmux[@]}" kill-server
}

# same_as PROVIDER KEY=VALUE...: the saved blob is what settings writes.
same_as() {
    "$vantrel" settings "$@" -o "$scratch/expected.blob" "${r[@]}" || fail "settings $*"
    cmp -s "$scratch/saved.blob" "$scratch/expected.blob" || fail "$1: the saved blob differs"
}

# The DyFi page's tab order is its template's: entry, Add, Delete, list,
# user, password, offline. Each key lands where that order says.
configure "b.example Tab Space BTab a.example Tab Space Tab Tab Tab me Tab pw Tab Space F2" \
    dyfi -o "$scratch/saved.blob"
[ "$code" = 0 ] || fail "dyfi exited $code"
same_as dyfi host=b.example host=a.example user=me password=pw offline=1
# The list shows the two hosts sorted; the password is masked.
grep -A1 '|a\.example ' "$scratch/screen" | tail -1 | grep -q '|b\.example ' ||
    fail "the hosts are not listed in order: $(cat "$scratch/screen")"
! grep -q pw "$scratch/screen" || fail "the password shows"

configure "abc Escape" dynup -o "$scratch/never.blob"
[ "$code" = 1 ] && [ ! -e "$scratch/never.blob" ] || fail "Esc exited $code or wrote a blob"

# GnuDIP's first "Configure..." opens its dialog on top of the page; OK
# takes the server and port and the status line shows them. Tabs: user,
# domain, password, request group, transport group.
rm -f "$scratch/saved.blob"
configure "Tab Tab Tab Tab Tab Space srv.example Tab 40000 Enter F2" gnudip -o "$scratch/saved.blob"
[ "$code" = 0 ] || fail "gnudip exited $code"
same_as gnudip server=srv.example port=40000
screen_has_line() { grep -qF "$1" "$scratch/screen" || fail "no '$1' on: $(cat "$scratch/screen")"; }
screen_has_line "Server: srv.example Port: 40000"

# A page filled from -i and saved unchanged writes the same bytes.
"$vantrel" settings gnudip user=u request=2 transport=tcp server=s.example port=3495 \
    -o "$scratch/in.blob" "${r[@]}" || fail "settings gnudip"
configure F2 gnudip -i "$scratch/in.blob" -o "$scratch/saved.blob"
[ "$code" = 0 ] && cmp -s "$scratch/in.blob" "$scratch/saved.blob" || fail "-i: exit $code or changed"
screen_has_line "Server: s.example Port: 3495"

exit $((failures == 0 ? 0 : 1))
