# The HTTP client's parsers: URLs and responses.
vt_add_fuzzer(url LIBS vt_http)
vt_add_fuzzer(response LIBS vt_http)
