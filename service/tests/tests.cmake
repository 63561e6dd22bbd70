# Native tests of the portable service core.
zrb_host_test(service_tests
  SOURCES tests/request_dispatch_test.cpp tests/server_exchange_test.cpp tests/service_host_logic_test.cpp
    tests/socket_holds_test.cpp
  LIBS veskcv_core zrb_testsupport)

zrb_fuzz_target(service_request_fuzz
  SOURCES tests/request_fuzz.cpp
  LIBS veskcv_core
  CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/tests/request_corpus)

# Under Wine: the Win32 pipe server in the test's own process.
if(ZRB_WINDOWS)
  add_library(service_win_testsupport STATIC
    tests/win/raw_pipe_client.cpp tests/win/in_process_server.cpp tests/win/service_control.cpp)
  target_include_directories(service_win_testsupport PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/tests/win)
  target_link_libraries(service_win_testsupport PUBLIC veskcv_win zrb2x_pipe_client zrb_testsupport)
endif()
zrb_windows_test(service_pipe_server_tests_win
  SOURCES tests/win/pipe_server_win_test.cpp
  LIBS service_win_testsupport)
# Under Wine: the installed service, started by the service control manager
# of the test prefix.
zrb_windows_test(service_installed_tests_win
  SOURCES tests/win/installed_service_win_test.cpp
  LIBS service_win_testsupport
  DEPENDS veskcv2xs)
# The service program writes to no console: it must be a GUI-subsystem program
# (a console one would open a window, or fail, when the manager starts it).
if(ZRB_WINDOWS)
  zrb_windows_script_test(service_program_subsystem
    COMMAND sh -c "${ZRB_OBJDUMP} -p \"$<TARGET_FILE:veskcv2xs>\" | grep -q 'Subsystem.*Windows GUI'")
endif()
# Under Wine: slothub.dll -> veskci2xs.dll -> pipe -> installed service.
zrb_windows_test(service_slothub_tests_win
  SOURCES tests/win/slothub_through_service_win_test.cpp
  LIBS service_win_testsupport cardservice_core
  DEPENDS veskcv2xs slothub veskci2xs)
# These install the service in the prefix and name the machine's virtual
# readers in its registry: while they run, every accessor on the NT family
# finds a service, so no other Wine test may run beside them.
if(ZRB_WINDOWS)
  set_tests_properties(service_installed_tests_win service_slothub_tests_win PROPERTIES RUN_SERIAL TRUE)
endif()
