vt_add_fuzzer(dialog_template LIBS vtplatform)
