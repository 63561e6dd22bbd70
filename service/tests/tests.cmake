# Native tests of the portable service core.
zrb_host_test(service_tests
  SOURCES tests/request_dispatch_test.cpp tests/server_exchange_test.cpp tests/service_host_logic_test.cpp
  LIBS veskcv_core)

zrb_fuzz_target(service_request_fuzz
  SOURCES tests/request_fuzz.cpp
  LIBS veskcv_core
  CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/tests/request_corpus)
