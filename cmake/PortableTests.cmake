# The portable behaviour tests (tests/host/portable), built for Windows: they
# include only Windows' headers, so the same files that test win32host run
# under Wine against Windows' own behaviour. GoogleTest is compiled from
# Debian's sources (package googletest) with this toolchain, linked statically.
set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's sources")
if(NOT EXISTS ${GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
  message(WARNING "No GoogleTest sources in ${GOOGLETEST_SOURCE_DIR} (package googletest): "
    "host_portable_tests.exe is not built")
  return()
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# GoogleTest is not ours to keep free of warnings. Its users and itself see
# the same Notification (see the header for why it is ours).
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)
target_compile_options(gtest PUBLIC
  "$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include ${CMAKE_CURRENT_SOURCE_DIR}/cmake/gtest_win32_notification.h>")

set(HOST_TEST_DIR ${CMAKE_CURRENT_SOURCE_DIR}/tests/host)
file(GLOB PORTABLE_TEST_SOURCES CONFIGURE_DEPENDS ${HOST_TEST_DIR}/portable/*.cpp)
# The same resources as the native host tests, compiled by windres.
add_executable(host_portable_tests ${PORTABLE_TEST_SOURCES} ${HOST_TEST_DIR}/host_tests.rc)
set_source_files_properties(${HOST_TEST_DIR}/host_tests.rc PROPERTIES
  OBJECT_DEPENDS "${HOST_TEST_DIR}/dialogs.rc;${HOST_TEST_DIR}/dialog_ids.h;${CMAKE_CURRENT_SOURCE_DIR}/resources/ordane.ico")
target_include_directories(host_portable_tests PRIVATE ${HOST_TEST_DIR} ${HOST_TEST_DIR}/portable)
target_link_options(host_portable_tests PRIVATE -static)
target_link_libraries(host_portable_tests PRIVATE gtest_main comctl32 winspool)
