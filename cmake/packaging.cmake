# Release packages through CPack over the install rules (scripts/package makes them):
# Windows, a zip of the four programs, a README.txt for Notepad and the licences; Linux, a tarball
# and a .deb with the programs in bin/ and the documentation in share/doc/korvpole.
set(CPACK_PACKAGE_NAME korvpole)
set(CPACK_PACKAGE_VENDOR "Korvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Mirrors the pole record POLE.DAT onto a 4x20 customer pole display")
set(CPACK_PACKAGE_CONTACT "Korvane support <support@korvane.invalid>")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS korvpole korvpole-post korvpole-check korvpole-display RUNTIME DESTINATION .)
  # Notepad on older Windows shows a file with bare line feeds as one long line.
  foreach(text README LICENSES)
    file(READ ${PROJECT_SOURCE_DIR}/packaging/${text}-windows.txt content)
    string(REPLACE "@VERSION@" "${PROJECT_VERSION}" content "${content}")
    string(REPLACE "\n" "\r\n" content "${content}")
    file(WRITE ${PROJECT_BINARY_DIR}/package/${text}.txt "${content}")
    install(FILES ${PROJECT_BINARY_DIR}/package/${text}.txt DESTINATION .)
  endforeach()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME korvpole-${PROJECT_VERSION}-windows-x64)
else()
  set(shipped korvpole korvpole-post korvpole-check korvpole-display)
  if(KORV_STATIC_RUNTIME)
    # No symbol newer than glibc 2.34, for the distributions tills still run.
    foreach(program ${shipped})
      target_sources(${program} PRIVATE ${PROJECT_SOURCE_DIR}/packaging/linux/runtime_floor.cpp)
      target_link_options(${program} PRIVATE -Wl,--wrap=_dl_find_object -Wl,--wrap=arc4random)
    endforeach()
  endif()
  install(TARGETS ${shipped} RUNTIME DESTINATION bin)

  set(linux ${PROJECT_SOURCE_DIR}/packaging/linux)
  file(STRINGS ${linux}/changelog latest LIMIT_COUNT 1)
  if(NOT latest MATCHES "^korvpole \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/linux/changelog has no entry for ${PROJECT_VERSION} on top")
  endif()
  # Debian keeps documentation small: the changelog compressed, without a timestamp.
  set(doc ${PROJECT_BINARY_DIR}/package/doc)
  add_custom_command(OUTPUT ${doc}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${doc}
    COMMAND gzip -9nc ${linux}/changelog > ${doc}/changelog.gz
    DEPENDS ${linux}/changelog VERBATIM)
  set(packaged_docs ${doc}/changelog.gz)

  # Manual pages made from each program's --help, which help2man is made for.
  find_program(KORV_HELP2MAN help2man)
  if(KORV_HELP2MAN)
    set(name_korvpole "mirror the pole record POLE.DAT onto a customer pole display")
    set(name_korvpole-check "try the display link, list the serial ports, show the display's characters")
    set(name_korvpole-post "write and show the pole record POLE.DAT")
    set(name_korvpole-display "a simulated pole display: what comes on a serial port or a pseudo-terminal")
    foreach(program ${shipped})
      set(page ${doc}/${program}.1)
      add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${doc}
        COMMAND ${KORV_HELP2MAN} --no-info --section=1 "--name=${name_${program}}"
                --include=${linux}/manual.h2m --output=${page} $<TARGET_FILE:${program}>
        COMMAND gzip -9nf ${page}
        DEPENDS ${program} ${linux}/manual.h2m VERBATIM)
      list(APPEND pages ${page}.gz)
    endforeach()
    install(FILES ${pages} DESTINATION share/man/man1)
  else()
    message(STATUS "No help2man: the packages will have no manual pages")
  endif()
  add_custom_target(korv_package_docs ALL DEPENDS ${packaged_docs} ${pages})

  install(FILES README.md ${linux}/copyright ${doc}/changelog.gz DESTINATION share/doc/korvpole)
  # README.md points into docs/; the same relative paths hold where it is installed.
  install(DIRECTORY docs/ DESTINATION share/doc/korvpole/docs FILES_MATCHING PATTERN "*.md")
  install(FILES ${linux}/60-korvpole.rules DESTINATION share/doc/korvpole/examples)
  install(FILES ${linux}/korvpole@.service DESTINATION lib/systemd/system)
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_PACKAGE_FILE_NAME korvpole-${PROJECT_VERSION}-linux-x86_64)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGE_DESCRIPTION
"korvpole reads the pole record file POLE.DAT that a point-of-sale
application keeps up to date and mirrors it onto a 4x20 character display
on a serial port. korvpole@.service runs it for a folder without a console.

korvpole-check tries the display link and lists the serial ports;
korvpole-post writes and shows the record; korvpole-display shows what a
display would show of the bytes on a serial port or a pseudo-terminal.")
endif()
include(CPack)
