# Shared by the peer scripts: free ports, readiness and shutdown waits.
# Every wait is bounded; nothing here looks a name up.

# fail MESSAGE: a test script's failed check, counted in $failures.
failures=${failures:-0}
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

port_open() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# A random unused port of 127.0.0.1 in the ephemeral range. A server can
# still lose it to someone else before binding: the start scripts retry.
free_port() {
    local port
    while :; do
        port=$(( 32768 + (RANDOM * 32768 + RANDOM) % 28000 ))
        port_open "$port" || { echo "$port"; return 0; }
    done
}

# wait_until SECONDS COMMAND...: polls COMMAND every 20 ms.
wait_until() {
    local limit=$(( $1 * 50 )); shift
    local i
    for ((i = 0; i < limit; i++)); do
        "$@" && return 0
        sleep 0.02
    done
    return 1
}

port_closed() { ! port_open "$1"; }

# A zombie counts as gone: whoever inherits it may reap it late.
pid_gone() {
    ! kill -0 "$1" 2>/dev/null || [[ $(ps -o stat= -p "$1" 2>/dev/null) == Z* ]]
}

# stop_by_pid_file DIR NAME SIGNAL: stops the server of DIR and waits for its port to close.
stop_by_pid_file() {
    local dir=$1 name=$2 signal=$3 pid port
    [ -f "$dir/$name.pid" ] || { echo "$name: not running in $dir" >&2; return 0; }
    pid=$(cat "$dir/$name.pid")
    port=$(cat "$dir/port" 2>/dev/null || true)
    kill "-$signal" "$pid" 2>/dev/null || true
    wait_until 10 pid_gone "$pid" || kill -KILL "$pid" 2>/dev/null || true
    [ -z "$port" ] || wait_until 10 port_closed "$port" || true
    rm -f "$dir/$name.pid"
}

# start_lab LAB ACCOUNTS DIR: vantrel-lab on free ports, its request lines
# in DIR/lab.log; sets lab_port, lab_gnudip_port and lab_pid. stop_labs
# ends all started.
lab_pids=()
start_lab() {
    "$1" --accounts "$2" --log "$3/lab.log" >"$3/lab.out" 2>"$3/lab.err" &
    lab_pid=$!
    lab_pids+=("$lab_pid")
    wait_until 10 grep -qs '^listening .* gnudip$' "$3/lab.out" ||
        { echo "vantrel-lab did not start" >&2; return 1; }
    lab_port=$(sed -n 's/^listening 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$3/lab.out")
    lab_gnudip_port=$(sed -n 's/^listening 127\.0\.0\.1:\([0-9]*\) gnudip$/\1/p' "$3/lab.out")
}

# A lab stopped with SIGSTOP stands for a server that never answers.
stop_labs() {
    local pid
    for pid in "${lab_pids[@]}"; do
        kill -TERM "$pid" 2>/dev/null
        kill -CONT "$pid" 2>/dev/null
        wait_until 10 pid_gone "$pid" ||
            { echo "vantrel-lab $pid ignored SIGTERM: killed" >&2; kill -KILL "$pid"; }
        wait "$pid" 2>/dev/null
    done
    lab_pids=()
}
