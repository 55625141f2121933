# The logtally executable from its process entry in app/: the runtime-free start-up on
# Windows, a main that hands the arguments to the stand-in natively.
if(WIN32)
  # Version information and manifest, from the project's version and the LICENSE's
  # copyright line. Resources add no imports.
  enable_language(RC)
  set(LOGTALLY_MANIFEST ${CMAKE_SOURCE_DIR}/resources/logtally.manifest)
  file(STRINGS ${CMAKE_SOURCE_DIR}/LICENSE LOGTALLY_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
  configure_file(${CMAKE_SOURCE_DIR}/resources/logtally.rc.in ${GEN_DIR}/logtally.rc @ONLY)
  set_source_files_properties(${GEN_DIR}/logtally.rc PROPERTIES OBJECT_DEPENDS
                              ${LOGTALLY_MANIFEST})
  add_executable(logtally app/start_win32.cpp app/program.cpp ${GEN_DIR}/logtally.rc)
  # The start-up object also supplies the memory routines the compiler may call; the product
  # flags keep GCC from turning their loops back into calls of themselves.
  target_compile_options(logtally PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${PRODUCT_FLAGS}>")
  # Large-address-aware: on a 64-bit Windows the 32-bit process may then use 4 GiB.
  target_link_options(logtally PRIVATE -nostdlib -nostartfiles -Wl,--subsystem,console
                      -Wl,--entry=_logtally_start -Wl,--large-address-aware)
  target_link_libraries(logtally PRIVATE logtally_core kernel32 user32 gcc)
else()
  add_executable(logtally app/start_posix.cpp app/program.cpp)
  target_compile_options(logtally PRIVATE ${PRODUCT_FLAGS})
  target_link_libraries(logtally PRIVATE logtally_core)
  # Every symbol is bound at start-up and the relocations are then made read-only (full
  # RELRO), as Debian's hardening asks.
  target_link_options(logtally PRIVATE -Wl,-z,relro -Wl,-z,now)
  # The stand-in is the only code that calls the C library: it takes the library's checked
  # functions where a size is known when compiled. They need an optimised build, and the
  # sanitizers bring checks of their own.
  if(NOT LOGTALLY_SANITIZE AND NOT LOGTALLY_FUZZ)
    file(GLOB standin_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/standin/*.cpp)
    set_source_files_properties(${standin_sources} PROPERTIES
      COMPILE_DEFINITIONS "$<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>")
  endif()
  # The compilers' version notes (.comment) are of no use in the program and only make it
  # differ from one compiler build to the next.
  add_custom_command(TARGET logtally POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment $<TARGET_FILE:logtally>
    VERBATIM)
endif()
set_target_properties(logtally PROPERTIES INTERPROCEDURAL_OPTIMIZATION ${LOGTALLY_LTO})
