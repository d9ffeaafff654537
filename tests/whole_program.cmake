# Whole-program tests: the built korvpole on pseudo-terminals, and the pure unit tests
# of the pole record and the key reader.
add_library(korv_program_runner STATIC
  support/program_runner.cpp
  support/pole_record_writer.cpp)
target_link_libraries(korv_program_runner PUBLIC korv_test_support util)
target_compile_definitions(korv_program_runner PRIVATE KORVPOLE_BINARY="$<TARGET_FILE:korvpole>")
add_dependencies(korv_program_runner korvpole)

add_executable(whole_program_test
  whole_program_display_test.cpp
  whole_program_keys_test.cpp
  whole_program_ends_test.cpp)
target_link_libraries(whole_program_test PRIVATE korv_program_runner GTest::gtest_main)
gtest_discover_tests(whole_program_test PROPERTIES TIMEOUT 60 LABELS whole_program)

add_executable(pole_unit_test pole_record_test.cpp key_reader_test.cpp)
target_link_libraries(pole_unit_test PRIVATE korv_core korv_platform GTest::gtest_main)
gtest_discover_tests(pole_unit_test PROPERTIES TIMEOUT 60)
