vt_add_fuzzer(blob_reader LIBS vt_blob)
