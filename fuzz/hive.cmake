vt_add_fuzzer(hive LIBS vt_hive_text)
