# Display link and start-up, in process: serial channel, display driver, display model,
# start-up and setup dialogue.
foreach(name serial_channel_test display_driver_test hd44780_model_test startup_test)
  add_executable(${name} ${name}.cpp)
  target_link_libraries(${name} PRIVATE korv_core korv_platform korv_test_support GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 60)
endforeach()
