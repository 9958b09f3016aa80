# Settings blobs of the template providers, written from the shell:
#   { blob_list a.example b.example; blob_text user; blob_int 1; } > FILE
# Numbers are 32-bit little-endian; a counted text is its length plus one,
# the text and a NUL.

blob_int() {
    local n=$(($1 & 0xFFFFFFFF))
    printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((n & 255)) $((n >> 8 & 255)) \
        $((n >> 16 & 255)) $((n >> 24 & 255)))"
}

blob_text() {
    local LC_ALL=C  # the length in bytes
    blob_int $((${#1} + 1))
    printf '%s\0' "$1"
}

# blob_list NAME...: the count, then each name as a counted text.
blob_list() {
    blob_int $#
    local name
    for name in "$@"; do
        blob_text "$name"
    done
}
