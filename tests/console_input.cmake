# Keys as a Windows console gives them: a terminal's bytes decoded on POSIX, and the
# codes of Windows key records.
add_executable(console_keys_test
  terminal_key_decoder_test.cpp
  console_key_codes_test.cpp)
target_link_libraries(console_keys_test PRIVATE korv_key_codes GTest::gtest_main)
gtest_discover_tests(console_keys_test PROPERTIES TIMEOUT 60)
