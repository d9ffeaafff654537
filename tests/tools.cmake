# The tools, through the built programs: the record writer, the simulated display,
# and the demo's pieces run together with korvpole.
add_executable(tools_test tools_test.cpp)
target_link_libraries(tools_test PRIVATE korv_sim GTest::gtest_main)
target_include_directories(tools_test PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(tools_test PRIVATE
  KORV_DISPLAY_PROGRAM="$<TARGET_FILE:korvpole-display>"
  KORV_POST_PROGRAM="$<TARGET_FILE:korvpole-post>"
  KORV_POLE_PROGRAM="$<TARGET_FILE:korvpole>")
add_dependencies(tools_test korvpole-display korvpole-post korvpole)
gtest_discover_tests(tools_test PROPERTIES TIMEOUT 120 LABELS tools)
