# The whole program through faults: an unplugged or late display, bad inputs, closed input.
foreach(name reconnect_test fault_runs_test)
  add_executable(${name} ${name}.cpp)
  target_link_libraries(${name} PRIVATE korv_program_runner GTest::gtest_main)
  gtest_discover_tests(${name} PROPERTIES TIMEOUT 120 LABELS whole_program)
endforeach()
