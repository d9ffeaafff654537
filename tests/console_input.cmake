# Keys as the program gets them: a terminal's bytes, a Windows console's records, and
# the command each character stands for; pure code, run on any platform.
add_executable(console_keys_test console_keys_test.cpp)
target_include_directories(console_keys_test PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(console_keys_test PRIVATE GTest::gtest_main)
gtest_discover_tests(console_keys_test PROPERTIES TIMEOUT 60)
