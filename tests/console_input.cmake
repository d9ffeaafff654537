# Keys as the program sees them: terminal decoding, console key codes, the key reader's
# rule.
add_executable(console_keys_test
  terminal_key_decoder_test.cpp
  console_key_codes_test.cpp
  key_reader_rule_test.cpp)
target_link_libraries(console_keys_test PRIVATE korv_key_codes korv_core GTest::gtest_main)
gtest_discover_tests(console_keys_test PROPERTIES TIMEOUT 60)

