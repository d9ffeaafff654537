# The integrator's kit: the row layout shared by korvpole and the record inspector
# (on the in-memory platform, against the display model), and the tools' own parts.
add_executable(row_layout_test row_layout_test.cpp)
target_link_libraries(row_layout_test PRIVATE korv_core korv_sim korv_platform_fake GTest::gtest_main)
gtest_discover_tests(row_layout_test PROPERTIES TIMEOUT 60)

add_executable(tool_units_test tool_units_test.cpp)
target_link_libraries(tool_units_test PRIVATE
  korv_post_tool korv_check_tool korv_display_tool korv_test_support GTest::gtest_main)
target_compile_definitions(tool_units_test PRIVATE KORV_EXPECTED_VERSION="${PROJECT_VERSION}")
gtest_discover_tests(tool_units_test PROPERTIES TIMEOUT 60)

# The tools run as built: the health check's failures, and the record inspector
# against what korvpole draws.
add_executable(kit_runs_test check_failures_test.cpp post_show_runs_test.cpp)
target_link_libraries(kit_runs_test PRIVATE korv_test_support GTest::gtest_main)
add_dependencies(kit_runs_test korvpole-check)
gtest_discover_tests(kit_runs_test PROPERTIES TIMEOUT 120 LABELS whole_program)
