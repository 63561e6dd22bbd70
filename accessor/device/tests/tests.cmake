# Device library tests: the command layer against a recording fake transport
# and against the virtual reader-writer, the transports' logic against fakes
# of the operating system. The same programs run natively (ASan/UBSan) and,
# built for Windows, under Wine, where the virtual reader's Win32 seam (file
# mappings, named mutexes) and the real transports' Win32 layer run too.
set(device_test_dir ${CMAKE_CURRENT_SOURCE_DIR}/tests)
set(device_test_sources
  ${device_test_dir}/commands_test.cpp
  ${device_test_dir}/memory_transfers_test.cpp
  ${device_test_dir}/identification_test.cpp
  ${device_test_dir}/device_list_test.cpp
  ${device_test_dir}/virtual_reader_test.cpp
  ${device_test_dir}/concurrency_test.cpp
  ${device_test_dir}/spti_layer_test.cpp
  ${device_test_dir}/aspi_layer_test.cpp
  ${device_test_dir}/usb_driver_layer_test.cpp)
zrb_host_test(device_tests SOURCES ${device_test_sources} LIBS zrb2x_device)
zrb_windows_test(device_tests_win SOURCES ${device_test_sources} LIBS zrb2x_device)
zrb_windows_test(device_wine_tests SOURCES ${device_test_dir}/win/two_process_test.cpp
  ${device_test_dir}/win/aspi_abort_win_test.cpp LIBS zrb2x_device)
zrb_windows_test(device_wine_tests_win98 WIN98 SOURCES ${device_test_dir}/win/two_process_test.cpp LIBS zrb2x_device)

# The virtual reader's description parser and command execution take outside
# input (an editable file, CDBs from any caller).
zrb_fuzz_target(device_reader_state_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/reader_state_fuzz.cpp
  LIBS zrb2x_device CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/reader_state_corpus)
zrb_fuzz_target(device_virtual_command_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/virtual_command_fuzz.cpp
  LIBS zrb2x_device CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/virtual_command_corpus)
