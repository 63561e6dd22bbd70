# Device library tests: the command layer against a recording fake transport
# and against the virtual reader-writer, the transports' logic against fakes
# of the operating system.
set(device_test_dir ${CMAKE_CURRENT_SOURCE_DIR}/tests)
zrb_host_test(device_tests
  SOURCES
    ${device_test_dir}/commands_test.cpp
    ${device_test_dir}/memory_transfers_test.cpp
    ${device_test_dir}/identification_test.cpp
    ${device_test_dir}/device_list_test.cpp
    ${device_test_dir}/virtual_reader_test.cpp
    ${device_test_dir}/spti_layer_test.cpp
    ${device_test_dir}/aspi_layer_test.cpp
    ${device_test_dir}/usb_driver_layer_test.cpp
  LIBS zrb2x_device)
