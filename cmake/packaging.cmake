# Installation and packages: a Debian package from the native build, a ZIP from the win32 one.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME logtally)
set(CPACK_PACKAGE_VENDOR "The logtally developers")
set(CPACK_PACKAGE_CONTACT "The logtally developers <logtally@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "count calls and talk time per line and extension in a call log")
# Debian shows each line as it stands: at most 80 columns with its leading blank.
set(CPACK_PACKAGE_DESCRIPTION
    "logtally reads a phone system's call log in one pass, counts the calls and the
talk time of every calling line and every called extension, and writes three
plain-text reports next to the log.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

# Compresses SOURCE to doc/NAME.gz in the build folder and sets OUT to its path. gzip -n
# leaves out the file's name and time, so the same sources give the same package.
function(logtally_gzip source out)
  get_filename_component(name ${source} NAME)
  set(copy ${CMAKE_BINARY_DIR}/doc/${name})
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/doc)
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND ${GZIP} -9nf ${copy}
    DEPENDS ${source}
    COMMENT "Compressing ${name}" VERBATIM)
  set(${out} ${copy}.gz PARENT_SCOPE)
endfunction()

# The package's changelog must open with an entry for the version being built.
function(logtally_check_changelog changelog)
  file(READ ${changelog} head LIMIT 200)
  string(REGEX MATCH "^[^\n]*" top "${head}")
  string(REPLACE "." "\\." version ${PROJECT_VERSION})
  if(NOT top MATCHES "^logtally \\(${version}\\) ")
    message(FATAL_ERROR "${changelog} opens with \"${top}\"; "
                        "add an entry for logtally ${PROJECT_VERSION} on top")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
endfunction()

# Writes Debian's machine-readable copyright file to OUT from LICENSE: the holder from its
# "Copyright (c)" line, the license text indented by one blank, "." standing for empty lines.
function(logtally_debian_copyright out)
  set(license_file ${CMAKE_SOURCE_DIR}/LICENSE)
  file(READ ${license_file} license)
  string(FIND "${license}" "Permission is hereby granted" start)
  if(NOT license MATCHES "Copyright \\(c\\) ([^\n]+)" OR start EQUAL -1)
    message(FATAL_ERROR "${license_file}: no copyright line or no permission text")
  endif()
  set(COPYRIGHT_HOLDER ${CMAKE_MATCH_1})
  string(SUBSTRING "${license}" ${start} -1 body)
  string(STRIP "${body}" body)
  string(REPLACE "\n\n" "\n.\n" body "${body}")
  string(REPLACE "\n" "\n " LICENSE_BODY " ${body}")
  configure_file(${CMAKE_SOURCE_DIR}/doc/copyright.in ${out} @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${license_file})
endfunction()

# package_files builds everything the package holds, for CPack to collect.
if(WIN32)
  install(TARGETS logtally RUNTIME DESTINATION .)
  # Windows' own editors want CR LF; the license goes as LICENSE.txt, which Windows opens.
  configure_file(${CMAKE_SOURCE_DIR}/doc/README-windows.txt.in
                 ${CMAKE_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt @ONLY
                 NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_BINARY_DIR}/LICENSE.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
  add_custom_target(package_files DEPENDS logtally)
  if(LOGTALLY_TESTS)
    enable_testing()
    add_subdirectory(tests/package)
  endif()
else()
  find_program(GZIP gzip REQUIRED)
  install(TARGETS logtally RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  configure_file(${CMAKE_SOURCE_DIR}/doc/logtally.1.in ${CMAKE_BINARY_DIR}/logtally.1 @ONLY)
  logtally_check_changelog(${CMAKE_SOURCE_DIR}/doc/changelog)
  logtally_gzip(${CMAKE_BINARY_DIR}/logtally.1 manual_gz)
  logtally_gzip(${CMAKE_SOURCE_DIR}/doc/changelog changelog_gz)
  add_custom_target(package_files ALL DEPENDS logtally ${manual_gz} ${changelog_gz})
  logtally_debian_copyright(${CMAKE_BINARY_DIR}/copyright)
  install(FILES ${manual_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${changelog_gz} ${CMAKE_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Depends names the lowest libc6 the binary needs, as dpkg-shlibdeps finds it.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
