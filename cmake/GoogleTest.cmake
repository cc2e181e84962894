# GoogleTest, built with the project from Debian's googletest sources, for
# the native and the cross builds alike.
set(QUORVEL_GTEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
if(WIN32)
  # The Windows builds use the platform's own threads.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
endif()
add_subdirectory(${QUORVEL_GTEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# The library's own code is not ours to keep warning-free.
foreach(t gtest gtest_main)
  target_compile_options(${t} PRIVATE -w)
endforeach()
