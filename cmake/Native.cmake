# Native build: unit tests of the logic modules, benchmarks and tools.
find_package(GTest REQUIRED)
find_package(benchmark QUIET)
include(CTest)

bex_all_logic(BEX_LOGIC_LIBS)

# One GoogleTest program per subsystem: tests/<sub>/*_test.cpp.
foreach(sub common shared display decoding filelist move app)
  file(GLOB tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${sub}/*_test.cpp)
  if(tests)
    add_executable(bex_${sub}_tests ${tests})
    target_compile_options(bex_${sub}_tests PRIVATE ${BEX_WARNINGS} ${BEX_CHARSET})
    target_include_directories(bex_${sub}_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(bex_${sub}_tests PRIVATE ${BEX_LOGIC_LIBS} GTest::gtest_main)
    add_test(NAME native_${sub} COMMAND bex_${sub}_tests)
  endif()
endforeach()

# The window-free half of our WIC plug-in, with its own tests.
add_subdirectory(${PROJECT_SOURCE_DIR}/plugins/wicspi ${CMAKE_BINARY_DIR}/plugins/wicspi)
file(GLOB plugin_tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/plugins/*_test.cpp)
if(plugin_tests)
  add_executable(bex_plugins_tests ${plugin_tests})
  target_compile_options(bex_plugins_tests PRIVATE ${BEX_WARNINGS} ${BEX_CHARSET})
  target_link_libraries(bex_plugins_tests PRIVATE wicspi_logic GTest::gtest_main)
  add_test(NAME native_plugins COMMAND bex_plugins_tests)
endif()

# Benchmarks: bench/*_bench.cpp, each its own program (build with
# -DBEX_SANITIZE=OFF for figures worth reading; tools/bench.sh does).
if(benchmark_FOUND)
  file(GLOB benches CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*_bench.cpp)
  foreach(b ${benches})
    get_filename_component(name ${b} NAME_WE)
    add_executable(${name} ${b})
    target_compile_options(${name} PRIVATE ${BEX_WARNINGS} ${BEX_CHARSET})
    target_link_libraries(${name} PRIVATE ${BEX_LOGIC_LIBS} benchmark::benchmark)
  endforeach()
endif()

# Benchmarks that drive programs through the X server: bench/*_xbench.cpp.
find_package(X11)
if(X11_FOUND AND X11_XTest_FOUND AND X11_Xdamage_FOUND)
  file(GLOB xbenches CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*_xbench.cpp)
  foreach(b ${xbenches})
    get_filename_component(name ${b} NAME_WE)
    add_executable(${name} ${b})
    target_compile_options(${name} PRIVATE ${BEX_WARNINGS})
    target_link_libraries(${name} PRIVATE X11::X11 X11::Xtst X11::Xdamage)
  endforeach()
endif()

# Command-line tools: tools/*.cpp, each its own program.
file(GLOB tools CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/*.cpp)
list(FILTER tools EXCLUDE REGEX "_win\\.cpp$")
foreach(t ${tools})
  get_filename_component(name ${t} NAME_WE)
  add_executable(${name} ${t})
  target_compile_options(${name} PRIVATE ${BEX_WARNINGS} ${BEX_CHARSET})
  target_link_libraries(${name} PRIVATE ${BEX_LOGIC_LIBS})
endforeach()
