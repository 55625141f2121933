# The logtally executable: the runtime-free start-up on Windows, the stand-in's main natively.
if(WIN32)
  add_executable(logtally platform/start_win32.cpp)
  # The start-up object also supplies the memory routines the compiler may call; the product
  # flags keep GCC from turning their loops back into calls of themselves.
  target_compile_options(logtally PRIVATE ${PRODUCT_FLAGS})
  # Large-address-aware: on a 64-bit Windows the 32-bit process may then use 4 GiB.
  target_link_options(logtally PRIVATE -nostdlib -nostartfiles -Wl,--subsystem,console
                      -Wl,--entry=_logtally_start -Wl,--large-address-aware)
  target_link_libraries(logtally PRIVATE logtally_core kernel32 user32 gcc)
else()
  add_executable(logtally platform/standin/start_posix.cpp)
  target_compile_options(logtally PRIVATE ${PRODUCT_FLAGS})
  target_link_libraries(logtally PRIVATE logtally_core)
endif()
