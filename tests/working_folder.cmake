# What the programs write or open in the shared working folder: the settings save, the
# port open, the record file and its writer.

add_executable(settings_file_test settings_file_test.cpp)
add_executable(serial_open_test serial_open_test.cpp)
target_link_libraries(settings_file_test PRIVATE korv_platform)
target_link_libraries(serial_open_test PRIVATE korv_platform)
# The record writer's library brings the platform, after the pole code that needs it.
add_executable(record_file_open_test record_file_open_test.cpp)
target_link_libraries(record_file_open_test PRIVATE korv_post_tool)
foreach(name settings_file_test serial_open_test record_file_open_test)
  target_link_libraries(${name} PRIVATE korv_test_support GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 60)
endforeach()
