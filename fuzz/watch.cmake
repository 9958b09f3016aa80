# The readers of vantrel watch: the address in a source's answer, the
# config file and the state file.
foreach(target watch_address watch_config watch_state)
    vt_add_fuzzer(${target} LIBS vt_host_watch)
endforeach()
