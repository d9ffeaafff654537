# The whole program on pseudo-terminals: the Linux build always; korvpole.exe under
# Wine, with the cases of the Windows console, when KORV_WINDOWS_EXE names it
# (scripts/test-stages/20-windows does, and names the test programs built beside it).
add_executable(program_cases_test
  wine/program_cases_main.cpp
  wine/program_cases_test.cpp
  wine/windows_console_test.cpp)
target_link_libraries(program_cases_test PRIVATE korv_test_support)

add_test(NAME program_cases_linux COMMAND program_cases_test $<TARGET_FILE:korvpole>)
set_tests_properties(program_cases_linux PROPERTIES TIMEOUT 300)

set(KORV_WINDOWS_EXE "" CACHE FILEPATH "korvpole.exe to run the program cases on under Wine")
set(KORV_WINDOWS_DESKTOP_HOLDER "" CACHE FILEPATH
    "korv-desktop-holder.exe, which keeps the Wine prefix's desktop open for the run")
set(KORV_WINDOWS_KEY_INJECTOR "" CACHE FILEPATH
    "korv-key-injector.exe, which types console input records for korvpole.exe under Wine")
if(KORV_WINDOWS_EXE)
  if(NOT KORV_WINDOWS_DESKTOP_HOLDER OR NOT KORV_WINDOWS_KEY_INJECTOR)
    message(FATAL_ERROR "KORV_WINDOWS_EXE needs KORV_WINDOWS_DESKTOP_HOLDER and KORV_WINDOWS_KEY_INJECTOR")
  endif()
  add_test(NAME program_cases_wine COMMAND program_cases_test ${KORV_WINDOWS_EXE}
           --desktop-holder ${KORV_WINDOWS_DESKTOP_HOLDER}
           --key-injector ${KORV_WINDOWS_KEY_INJECTOR})
  set_tests_properties(program_cases_wine PROPERTIES TIMEOUT 900 RUN_SERIAL TRUE)
endif()

# The health check and the record writer the same way: the Linux tools always; the
# .exe files under Wine when both cache variables name them.
add_executable(kit_cases_test wine/kit_cases_test.cpp)
target_link_libraries(kit_cases_test PRIVATE korv_test_support)
add_dependencies(kit_cases_test korvpole-check)

add_test(NAME kit_cases_linux
  COMMAND kit_cases_test $<TARGET_FILE:korvpole-check> $<TARGET_FILE:korvpole-post>)
set_tests_properties(kit_cases_linux PROPERTIES TIMEOUT 120)

set(KORV_WINDOWS_CHECK_EXE "" CACHE FILEPATH "korvpole-check.exe to run the kit cases on under Wine")
set(KORV_WINDOWS_POST_EXE "" CACHE FILEPATH "korvpole-post.exe to run the kit cases on under Wine")
if(KORV_WINDOWS_CHECK_EXE AND KORV_WINDOWS_POST_EXE)
  if(NOT KORV_WINDOWS_DESKTOP_HOLDER)
    message(FATAL_ERROR "KORV_WINDOWS_CHECK_EXE needs KORV_WINDOWS_DESKTOP_HOLDER")
  endif()
  add_test(NAME kit_cases_wine COMMAND kit_cases_test ${KORV_WINDOWS_CHECK_EXE} ${KORV_WINDOWS_POST_EXE}
           --desktop-holder ${KORV_WINDOWS_DESKTOP_HOLDER})
  set_tests_properties(kit_cases_wine PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
endif()
