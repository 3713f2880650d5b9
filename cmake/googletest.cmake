# GoogleTest built from Debian's sources (package googletest, /usr/src/googletest) for a target
# other than this machine's own: the prebuilt libraries of libgtest-dev are x86-64 only.
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
if(NOT EXISTS ${GTEST_SOURCE_DIR}/googletest/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${GTEST_SOURCE_DIR} (package googletest)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest brings its own warning flags; ours (-Werror among them) are for our sources.
set_property(TARGET gtest gtest_main PROPERTY COMPILE_OPTIONS "")
