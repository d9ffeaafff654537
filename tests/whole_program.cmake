# The built korvpole on pseudo-terminals: what a customer sees, the keys, the ends, the
# faults a counter meets and an unplugged display.
add_executable(whole_program_test
  whole_program_display_test.cpp
  whole_program_keys_test.cpp
  whole_program_ends_test.cpp
  fault_runs_test.cpp
  reconnect_test.cpp
  working_folder_program_test.cpp)
target_link_libraries(whole_program_test PRIVATE korv_test_support GTest::gtest_main)
target_compile_definitions(whole_program_test PRIVATE KORV_EXPECTED_VERSION="${PROJECT_VERSION}")
gtest_discover_tests(whole_program_test PROPERTIES TIMEOUT 120 LABELS whole_program)

# The pole record on the in-memory platform.
add_executable(pole_unit_test pole_record_test.cpp)
target_link_libraries(pole_unit_test PRIVATE korv_core korv_platform_fake GTest::gtest_main)
gtest_discover_tests(pole_unit_test PROPERTIES TIMEOUT 60)
