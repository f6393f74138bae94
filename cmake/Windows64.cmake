# 64-bit Windows build (cmake/mingw-x86_64.cmake): only what runs beside the
# 32-bit viewer to use 64-bit plug-ins (.sph): the plug-in helper
# bexspi64.exe, the 64-bit test modules and our plug-in as wicspi.sph. They
# land in BEX_PROGRAM_DIR, the 32-bit build's folder, where the viewer and
# its tests look for them (tools/build.sh win64 sets it).
set(BEX_PROGRAM_DIR ${CMAKE_BINARY_DIR} CACHE PATH "Folder of the 32-bit viewer's build")
add_compile_options(-static-libgcc -static-libstdc++)
# Page-aligned sections, as in the 32-bit build.
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--file-alignment,4096)

# Only what the helper links is compiled.
bex_all_logic(BEX_LOGIC_LIBS)
foreach(lib ${BEX_LOGIC_LIBS})
  set_target_properties(${lib} PROPERTIES EXCLUDE_FROM_ALL ON)
endforeach()
set(BEX_HELPER_LOGIC_LIBS bex_decoding_logic bex_shared_logic bex_common_logic)

# The helper's own sources and the host code it shares with the viewer.
add_executable(bexspi64 WIN32
  ${PROJECT_SOURCE_DIR}/src/plugin_helper/plugin_helper_main_win.cpp
  ${PROJECT_SOURCE_DIR}/src/decoding/spi_host_win.cpp
  ${PROJECT_SOURCE_DIR}/src/decoding/picture_section_win.cpp
  ${PROJECT_SOURCE_DIR}/src/common/code_page_win.cpp
  ${PROJECT_SOURCE_DIR}/src/common/files_win.cpp
  ${PROJECT_SOURCE_DIR}/src/common/memory_win.cpp
  ${PROJECT_SOURCE_DIR}/src/common/start_trace_win.cpp)
target_include_directories(bexspi64 PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_compile_options(bexspi64 PRIVATE ${BEX_WARNINGS} ${BEX_CHARSET})
target_compile_definitions(bexspi64 PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_link_libraries(bexspi64 PRIVATE ${BEX_HELPER_LOGIC_LIBS} shlwapi)
set_target_properties(bexspi64 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${BEX_PROGRAM_DIR})

# The test modules (as testspi64/*.sph) and our plug-in (as plugins/wicspi.sph).
set(BEX_SPI_SUFFIX ".sph")
set(BEX_TESTSPI_DIR ${BEX_PROGRAM_DIR}/testspi64)
set(BEX_PLUGINS_DIR ${BEX_PROGRAM_DIR}/plugins)
add_subdirectory(${PROJECT_SOURCE_DIR}/plugins/testspi ${CMAKE_BINARY_DIR}/testspi)
add_subdirectory(${PROJECT_SOURCE_DIR}/plugins/wicspi ${CMAKE_BINARY_DIR}/plugins/wicspi)

# The tests' look at the modules a 64-bit helper holds.
add_executable(loaded_module64 ${PROJECT_SOURCE_DIR}/tests/support/probe64/loaded_module_win.cpp)
target_compile_options(loaded_module64 PRIVATE ${BEX_WARNINGS})
set_target_properties(loaded_module64 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${BEX_PROGRAM_DIR})

# The plug-in's timing program for wicspi.sph (tools/codecbench.sh).
add_executable(spi_decode_winbench64 ${PROJECT_SOURCE_DIR}/bench/spi_decode_winbench.cpp)
target_compile_options(spi_decode_winbench64 PRIVATE ${BEX_WARNINGS})
set_target_properties(spi_decode_winbench64 PROPERTIES EXCLUDE_FROM_ALL ON
                                                       RUNTIME_OUTPUT_DIRECTORY ${BEX_PROGRAM_DIR})
