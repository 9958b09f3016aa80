# Sourced by the callgrind_*.sh scripts: instructions counted under
# callgrind in the driver's Collect* functions only, so process start,
# library loads and the servers the driver starts stay out.

# callgrind_setup DRIVER DEFAULT_COUNT [BUILD_DIR] [UPDATES]: sets build,
# count, driver and a scratch folder removed on exit.
callgrind_setup() {
    local name=$1
    build=${3:-build/release}
    count=${4:-$2}
    driver="$build/bin/$name"
    [ -x "$driver" ] || { echo "build $driver first (cmake --build $build --target $name)" >&2; exit 1; }
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
}

# instructions WAY FUNCTION DRIVER_ARGUMENTS...: the Ir collected in
# FUNCTION over one run of the driver.
instructions() {
    local way=$1 function=$2
    shift 2
    valgrind --tool=callgrind --callgrind-out-file="$scratch/$way.out" \
        --toggle-collect="$function" "$driver" "$@" >"$scratch/$way.log" 2>&1 ||
        { cat "$scratch/$way.log" >&2; exit 1; }
    sed -n 's/^totals: \([0-9]*\).*/\1/p' "$scratch/$way.out"
}
