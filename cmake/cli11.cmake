# CLI11, the tools' command-line parser: Debian's header-only libcli11-dev.
# It is the same for every target, so the cross-build uses the host's copy. It must
# not see the host's other headers, though (they would shadow mingw-w64's), so it gets
# a folder of its own that holds nothing but a link to the CLI headers.
find_package(CLI11 2.1 CONFIG REQUIRED NO_CMAKE_FIND_ROOT_PATH)

add_library(korv_cli11 INTERFACE)
if(CMAKE_CROSSCOMPILING)
  get_target_property(cli11_dirs CLI11::CLI11 INTERFACE_INCLUDE_DIRECTORIES)
  find_path(KORV_CLI11_ROOT CLI/CLI.hpp PATHS ${cli11_dirs}
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(only_cli11 ${PROJECT_BINARY_DIR}/cli11-only)
  file(MAKE_DIRECTORY ${only_cli11})
  file(CREATE_LINK ${KORV_CLI11_ROOT}/CLI ${only_cli11}/CLI SYMBOLIC)
  target_include_directories(korv_cli11 SYSTEM INTERFACE ${only_cli11})
else()
  target_link_libraries(korv_cli11 INTERFACE CLI11::CLI11)
endif()
