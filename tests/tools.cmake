# The tools, through the built programs: the record writer, the simulated display,
# and the demo's pieces run together with korvpole.
add_executable(tools_test tools_test.cpp)
target_link_libraries(tools_test PRIVATE korv_test_support GTest::gtest_main)
gtest_discover_tests(tools_test PROPERTIES TIMEOUT 120 LABELS tools)
