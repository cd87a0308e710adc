# The Windows build: the program's sources and its .rc, compiled by windres,
# linked into a static, stripped, size-optimised GUI executable (32-bit as it
# ships, x86_64 for 64-bit Wine), with the programs that prove it under Wine.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

add_executable(SetupOrdane WIN32 ${PROGRAM_SOURCES} app/startup.cpp ${PROGRAM_RC})
target_include_directories(SetupOrdane PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/app
  ${CMAKE_CURRENT_SOURCE_DIR}/deploy
  ${CMAKE_CURRENT_SOURCE_DIR}/spooler
  ${CMAKE_CURRENT_SOURCE_DIR}/operations
  ${CMAKE_CURRENT_SOURCE_DIR}/resources)
# The program is C-style Win32 code with an entry point of its own
# (app/startup.cpp): no C runtime, no libstdc++, no static constructors, so
# that it imports only system DLLs that Windows 95 and NT 3.51 have. The 32-bit
# build is for the 80386, the processor Windows 95 asks for (no CMOV, BSWAP,
# CMPXCHG, XADD; tests/exe/instructions.sh checks it).
target_compile_options(SetupOrdane PRIVATE -Os -fno-exceptions -fno-rtti -fno-threadsafe-statics
  -fno-asynchronous-unwind-tables -fno-stack-protector -fno-tree-loop-distribute-patterns
  -ffunction-sections -fdata-sections)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_compile_options(SetupOrdane PRIVATE -march=i386 -mtune=i386)
endif()
target_link_options(SetupOrdane PRIVATE -nostdlib -s -Wl,--gc-sections -Wl,-e,SetupOrdaneEntry)
target_link_libraries(SetupOrdane PRIVATE kernel32 user32 gdi32 comctl32 winspool advapi32)

# The Wine test driver: a console program that answers SetupOrdane's message
# boxes from outside and reads its resources (tests/wine/run.sh runs both).
file(GLOB WINE_DRIVER_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/wine/driver/*.cpp)
add_executable(wine_driver ${WINE_DRIVER_SOURCES})
target_compile_options(wine_driver PRIVATE -Os)
target_link_options(wine_driver PRIVATE -static -s)
target_link_libraries(wine_driver PRIVATE shell32 comctl32 winspool version)

include(cmake/PortableTests.cmake)
