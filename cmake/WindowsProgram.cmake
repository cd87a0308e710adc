# The Windows build: the program's sources and its .rc, compiled by windres,
# linked into a static, stripped, size-optimised GUI executable (32-bit as it
# ships, x86_64 for 64-bit Wine), with the programs that prove it under Wine.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

add_executable(SetupOrdane WIN32 ${PROGRAM_SOURCES} ${PROGRAM_RC})
target_include_directories(SetupOrdane PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/app
  ${CMAKE_CURRENT_SOURCE_DIR}/deploy
  ${CMAKE_CURRENT_SOURCE_DIR}/spooler
  ${CMAKE_CURRENT_SOURCE_DIR}/operations
  ${CMAKE_CURRENT_SOURCE_DIR}/resources)
# The program is C-style Win32 code: without exceptions, RTTI and unused
# sections the static runtime stops carrying most of libstdc++ (171,520 bytes
# before, 52,224 after, for the 32-bit build).
target_compile_options(SetupOrdane PRIVATE -Os -fno-exceptions -fno-rtti -ffunction-sections -fdata-sections)
target_link_options(SetupOrdane PRIVATE -static -s -Wl,--gc-sections)
target_link_libraries(SetupOrdane PRIVATE comctl32 winspool)

# The Wine test driver: a console program that answers SetupOrdane's message
# boxes from outside and reads its resources (tests/wine/run.sh runs both).
add_executable(wine_driver tests/wine/driver.cpp)
target_compile_options(wine_driver PRIVATE -Os)
target_link_options(wine_driver PRIVATE -static -s)
target_link_libraries(wine_driver PRIVATE shell32 comctl32 winspool version)

include(cmake/PortableTests.cmake)
