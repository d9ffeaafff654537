# Keys as the program sees them (terminal decoding, console key codes, the key reader's
# rule) and the setup dialogue at the end of its input.
add_executable(console_keys_test
  terminal_key_decoder_test.cpp
  console_key_codes_test.cpp
  key_reader_rule_test.cpp)
target_link_libraries(console_keys_test PRIVATE korv_key_codes korv_core GTest::gtest_main)
gtest_discover_tests(console_keys_test PROPERTIES TIMEOUT 60)

add_executable(setup_end_of_input_test setup_end_of_input_test.cpp)
target_link_libraries(setup_end_of_input_test PRIVATE
  korv_core korv_platform korv_test_support korv_startup_support GTest::gtest_main)
gtest_discover_tests(setup_end_of_input_test DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 60)
