# Helpers shared by the native and the Windows build.

# bex_<sub>_logic: the window-free sources of src/<sub> (no *_win.cpp).
function(bex_logic_library sub)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${sub}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "_win\\.cpp$")
  if(NOT sources)
    return()
  endif()
  add_library(bex_${sub}_logic STATIC ${sources})
  target_include_directories(bex_${sub}_logic PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(bex_${sub}_logic PRIVATE ${BEX_WARNINGS} ${BEX_CHARSET})
  if(NOT sub STREQUAL "common")
    target_link_libraries(bex_${sub}_logic PUBLIC bex_common_logic)
  endif()
endfunction()

# All logic libraries that exist, for linking the program and tests.
function(bex_all_logic out)
  set(libs)
  foreach(sub app move filelist decoding display shared common)
    if(TARGET bex_${sub}_logic)
      list(APPEND libs bex_${sub}_logic)
    endif()
  endforeach()
  set(${out} ${libs} PARENT_SCOPE)
endfunction()
