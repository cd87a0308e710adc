# Compiles a .rc file with llvm-rc into a binary .res, the very image that
# Windows' resource compiler produces, and embeds it in an object library that
# registers it with win32host before main() runs.
find_program(LLVM_RC NAMES llvm-rc llvm-rc-14 REQUIRED)

function(win32host_embed_resources target rc_file)
  get_filename_component(rc_name ${rc_file} NAME_WE)
  get_filename_component(rc_dir ${rc_file} DIRECTORY)
  set(res_file ${CMAKE_CURRENT_BINARY_DIR}/${rc_name}.res)
  set(cpp_file ${CMAKE_CURRENT_BINARY_DIR}/${rc_name}_res.cpp)
  # llvm-rc preprocesses with clang and ignores the code_page pragma for its
  # input, so the UTF-8 code page is given on the command line. The "--"
  # keeps an input path such as /check/... from being read as the /C option.
  add_custom_command(
    OUTPUT ${res_file}
    COMMAND ${LLVM_RC} /C 65001 /I ${PROJECT_SOURCE_DIR}/win32host/include /I ${rc_dir} /FO ${res_file} -- ${rc_file}
    MAIN_DEPENDENCY ${rc_file}
    DEPENDS ${ARGN}
    WORKING_DIRECTORY ${rc_dir}
    VERBATIM)
  add_custom_command(
    OUTPUT ${cpp_file}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${res_file} -DOUTPUT=${cpp_file} -P ${PROJECT_SOURCE_DIR}/cmake/res2cpp.cmake
    DEPENDS ${res_file} ${PROJECT_SOURCE_DIR}/cmake/res2cpp.cmake
    VERBATIM)
  add_library(${target} OBJECT ${cpp_file})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/win32host ${PROJECT_SOURCE_DIR}/win32host/include)
endfunction()
