# Release packages through CPack over the install rules (scripts/package makes them):
# Windows, a zip of the three programs and a README.txt for Notepad; Linux, a tarball
# and a .deb with the programs in bin/ and the documentation in share/doc/korvpole.
set(CPACK_PACKAGE_NAME korvpole)
set(CPACK_PACKAGE_VENDOR "Korvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Mirrors the pole record POLE.DAT onto a 4x20 customer pole display")
set(CPACK_PACKAGE_CONTACT "Korvane support <support@korvane.invalid>")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS korvpole korvpole-post korvpole-check RUNTIME DESTINATION .)
  # Notepad on older Windows shows a file with bare line feeds as one long line.
  file(READ ${PROJECT_SOURCE_DIR}/packaging/README-windows.txt readme)
  string(REPLACE "@VERSION@" "${PROJECT_VERSION}" readme "${readme}")
  string(REPLACE "\n" "\r\n" readme "${readme}")
  file(WRITE ${PROJECT_BINARY_DIR}/package/README.txt "${readme}")
  install(FILES ${PROJECT_BINARY_DIR}/package/README.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME korvpole-${PROJECT_VERSION}-windows-x64)
else()
  install(TARGETS korvpole korvpole-post korvpole-check korvpole-display RUNTIME DESTINATION bin)
  install(FILES README.md DESTINATION share/doc/korvpole)
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_PACKAGE_FILE_NAME korvpole-${PROJECT_VERSION}-linux-x86_64)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGE_DESCRIPTION
    "korvpole reads the pole record file POLE.DAT that a point-of-sale application keeps up to date and mirrors it onto a 4x20 character display on a serial port. korvpole-check tries the display link; korvpole-post writes and shows the record; korvpole-display simulates a display.")
endif()
include(CPack)
