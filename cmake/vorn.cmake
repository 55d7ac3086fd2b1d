# Shared build settings: warnings for our code (as errors when asked), optional sanitizers.

if(VORN_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
  # GCC's maybe-uninitialized analysis gives false alarms on sanitizer-instrumented code (inside
  # <regex>, for one); the normal build keeps the warning.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Wno-maybe-uninitialized)
  endif()
endif()

if(VORN_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VORN_FUZZ needs Clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  # Coverage feedback for libFuzzer in every library; only the fuzz targets link its driver.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

function(vorn_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(VORN_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# vorn_library(NAME src1.cpp ...): the library vorn_NAME with include root src/.
function(vorn_library name)
  add_library(vorn_${name} ${ARGN})
  target_include_directories(vorn_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  vorn_warnings(vorn_${name})
endfunction()

# vorn_test(NAME SOURCES a.cpp ... LIBS vorn_x ...): one GoogleTest program under CTest.
function(vorn_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE VORN_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             VORN_PYTHON="${VORN_PYTHON}")
  vorn_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

# Independent checks in tests use Debian's Python with ezdxf.
find_program(VORN_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT VORN_PYTHON)
  find_program(VORN_PYTHON NAMES python3)
endif()
