# What the programs write or open in the shared working folder: the settings save, the
# port open, the record file and its writer. No pseudo-terminal harness, no runner.
add_library(korv_forked_child STATIC support/forked_child.cpp)
target_include_directories(korv_forked_child PUBLIC ${PROJECT_SOURCE_DIR})

add_executable(settings_file_test settings_file_test.cpp)
add_executable(serial_open_test serial_open_test.cpp)
target_link_libraries(settings_file_test PRIVATE korv_platform)
target_link_libraries(serial_open_test PRIVATE korv_platform)
# The record writer's library brings the platform, after the pole code that needs it.
add_executable(record_file_open_test record_file_open_test.cpp)
target_link_libraries(record_file_open_test PRIVATE korv_tools)
foreach(name settings_file_test serial_open_test record_file_open_test)
  target_link_libraries(${name} PRIVATE korv_forked_child korv_test_support GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 60)
endforeach()

# The dialogue's save on the in-memory platform.
add_executable(setup_save_test setup_save_test.cpp)
target_link_libraries(setup_save_test PRIVATE
  korv_core korv_platform_fake korv_test_support GTest::gtest_main)
gtest_discover_tests(setup_save_test DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 60)
