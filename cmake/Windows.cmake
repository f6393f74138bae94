# Windows build: bex.exe, the plug-ins, and the tests that run under Wine.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  include(cmake/Windows64.cmake)
  return()
endif()
set(BEX_SPI_SUFFIX ".spi")
set(BEX_TESTSPI_DIR ${CMAKE_BINARY_DIR}/testspi)
set(BEX_PLUGINS_DIR ${CMAKE_BINARY_DIR}/plugins)
include(CTest)
add_compile_options(-static-libgcc -static-libstdc++)
# No link time in the program files: the same sources give the same files,
# and so the same portable zip (tools/package.sh). Sections lie in the files
# at page boundaries, as in memory: Wine then maps a program file as it is,
# where it copied it in section by section (our 7 MB plug-in loaded in 3 ms
# instead of 8-11).
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp
                 -Wl,--file-alignment,4096)

bex_all_logic(BEX_LOGIC_LIBS)
# comdlg32 and comctl32 load when a dialog first needs them (common/system_dialogs_win.cpp).
set(BEX_WIN_LIBS gdi32 user32 shell32 shlwapi ole32 oleaut32 uuid)

# The platform layer: every *_win.cpp of src/ except the entry point, as a
# library that bex.exe and the Win32 tests share.
file(GLOB win_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*/*_win.cpp)
list(FILTER win_sources EXCLUDE REGEX "main_win\\.cpp$")
add_library(bex_win STATIC ${win_sources})
target_include_directories(bex_win PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(bex_win PRIVATE ${BEX_WARNINGS} ${BEX_CHARSET})
target_compile_definitions(bex_win PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_link_libraries(bex_win PUBLIC ${BEX_LOGIC_LIBS} ${BEX_WIN_LIBS})

# The program file's resources: manifest, icon and version information. The
# icon is drawn by a script of ours at build time.
enable_language(RC)
set(BEX_ICON ${CMAKE_BINARY_DIR}/resources/bex.ico)
add_custom_command(OUTPUT ${BEX_ICON}
  COMMAND ${PROJECT_SOURCE_DIR}/tools/make_icon.sh ${BEX_ICON}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/make_icon.sh
  COMMENT "Drawing the program icon")
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/app/bex.rc PROPERTIES
  OBJECT_DEPENDS "${BEX_ICON};${PROJECT_SOURCE_DIR}/src/app/bex.exe.manifest;${PROJECT_SOURCE_DIR}/src/shared/version.h")

add_executable(bex WIN32 ${PROJECT_SOURCE_DIR}/src/app/main_win.cpp
                         ${PROJECT_SOURCE_DIR}/src/app/bex.rc ${BEX_ICON})
target_compile_options(bex PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${BEX_WARNINGS};${BEX_CHARSET}>")
target_include_directories(bex PRIVATE ${CMAKE_BINARY_DIR}/resources)
target_link_libraries(bex PRIVATE bex_win)
# A 32-bit viewer on 64-bit Windows may then use 4 GiB for its three pictures.
target_link_options(bex PRIVATE -Wl,--large-address-aware)

# The plug-in helper that the viewer starts beside itself for the modules' calls.
add_executable(bexspi WIN32 ${PROJECT_SOURCE_DIR}/src/plugin_helper/plugin_helper_main_win.cpp)
target_compile_options(bexspi PRIVATE ${BEX_WARNINGS} ${BEX_CHARSET})
target_link_libraries(bexspi PRIVATE bex_win)
target_link_options(bexspi PRIVATE -Wl,--large-address-aware)
add_dependencies(bex bexspi)

# Susie plug-ins: every plugins/<name> with a CMakeLists.txt.
file(GLOB plugin_dirs LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/plugins/*)
foreach(dir ${plugin_dirs})
  if(EXISTS ${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endforeach()

# GoogleTest from Debian's sources, built for Windows.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Test support shared by the Win32 and end-to-end tests.
file(GLOB support CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/support/*.cpp)
list(APPEND support ${PROJECT_SOURCE_DIR}/tests/support/wine_paths.cpp)
list(REMOVE_DUPLICATES support)
add_library(bex_test_support STATIC ${support})
target_include_directories(bex_test_support PUBLIC ${PROJECT_SOURCE_DIR}/tests)
target_compile_options(bex_test_support PRIVATE ${BEX_WARNINGS} ${BEX_CHARSET})
# version: the tests read the program file's version information back.
target_link_libraries(bex_test_support PUBLIC bex_win gtest version)

# Win32 tests of the platform layer: tests/<sub>/*_wintest.cpp, one program
# per subsystem; end-to-end tests: tests/e2e/*.cpp. All run under Wine
# (tools/test.sh prepares the prefix and the display).
foreach(sub common shared display decoding filelist move app plugins e2e)
  if(sub STREQUAL "e2e")
    file(GLOB tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/e2e/*.cpp)
  else()
    file(GLOB tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${sub}/*_wintest.cpp)
  endif()
  if(tests)
    add_executable(bex_${sub}_wintests ${tests})
    target_compile_options(bex_${sub}_wintests PRIVATE ${BEX_WARNINGS} ${BEX_CHARSET})
    target_link_libraries(bex_${sub}_wintests PRIVATE bex_test_support gtest_main)
    add_dependencies(bex_${sub}_wintests bexspi)
    add_test(NAME wine_${sub} COMMAND bex_${sub}_wintests)
    set_tests_properties(wine_${sub} PROPERTIES ENVIRONMENT "BEX_BUILD_DIR=${CMAKE_BINARY_DIR}")
  endif()
endforeach()

# The plug-in's tests write a CMYK JPEG of their own with libjpeg.
if(TARGET bex_plugins_wintests)
  target_link_libraries(bex_plugins_wintests PRIVATE bex_codecs)
endif()

# The end-to-end tests start the program with our WIC plug-in.
if(TARGET bex_e2e_wintests)
  add_dependencies(bex_e2e_wintests bex wicspi)
endif()

# Benchmarks that need Windows (plug-ins, WIC): bench/*_winbench.cpp.
file(GLOB winbenches CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*_winbench.cpp)
foreach(b ${winbenches})
  get_filename_component(name ${b} NAME_WE)
  add_executable(${name} ${b})
  target_compile_options(${name} PRIVATE ${BEX_WARNINGS} ${BEX_CHARSET})
  target_link_libraries(${name} PRIVATE bex_test_support)
endforeach()

# Small Windows tools the scripts use: tools/*_win.cpp.
file(GLOB wintools CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/*_win.cpp)
foreach(t ${wintools})
  get_filename_component(name ${t} NAME_WE)
  string(REGEX REPLACE "_win$" "" name ${name})
  add_executable(${name} ${t})
  target_compile_options(${name} PRIVATE ${BEX_WARNINGS} ${BEX_CHARSET})
endforeach()
