# Installation and packages: a Debian package from the native build, a ZIP from the win32 one.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME logtally)
set(CPACK_PACKAGE_VENDOR "The logtally developers")
set(CPACK_PACKAGE_CONTACT "The logtally developers <logtally@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "count calls and talk time per line and extension in a call log")
set(CPACK_PACKAGE_DESCRIPTION
    "logtally reads a phone system's call log in one pass, counts the calls and the talk time
of every calling line and every called extension, and writes three plain-text reports
next to the log.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS logtally RUNTIME DESTINATION .)
  configure_file(${CMAKE_SOURCE_DIR}/doc/README-windows.txt.in
                 ${CMAKE_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
  if(LOGTALLY_TESTS)
    enable_testing()
    add_subdirectory(tests/package)
  endif()
else()
  install(TARGETS logtally RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  configure_file(${CMAKE_SOURCE_DIR}/doc/logtally.1.in ${CMAKE_BINARY_DIR}/logtally.1 @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/logtally.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6")
endif()

include(CPack)
