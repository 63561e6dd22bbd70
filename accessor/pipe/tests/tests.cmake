# Native tests of the pipe client: the exchange over a scripted transport,
# and the device operations against the service core over virtual readers.
zrb_host_test(pipe_client_tests
  SOURCES tests/pipe_exchange_test.cpp tests/pipe_loopback_test.cpp
  LIBS zrb2x_pipe_client veskcv_core)
if(TARGET pipe_client_tests)
  target_include_directories(pipe_client_tests PRIVATE ${CMAKE_SOURCE_DIR}/service/tests)
endif()
