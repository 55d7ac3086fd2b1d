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
  if(MSVC)
    # The sources are UTF-8 with Japanese texts; MSVC would read them in the ANSI code page.
    target_compile_options(${target} PRIVATE /W4 /utf-8)
    if(VORN_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE /WX)
    endif()
    return()
  endif()
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
  target_compile_definitions(${name} PRIVATE VORN_SOURCE_DIR="${VORN_TEST_SOURCE_DIR}"
                                             VORN_PYTHON="${VORN_PYTHON}")
  vorn_warnings(${name})
  if(CMAKE_CROSSCOMPILING)
    # One CTest test per program: listing the cases would start every program once during the
    # build and once per case under the emulator, which costs far more than the tests.
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# GoogleTest: the system's package natively; for a cross build, Debian's GoogleTest sources
# (package googletest, /usr/src/googletest) compiled with the cross compiler, as the packaged
# libraries are for the build machine only.
set(VORN_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
macro(vorn_find_gtest)
  if(CMAKE_CROSSCOMPILING)
    if(NOT EXISTS ${VORN_GTEST_SOURCE_DIR}/CMakeLists.txt)
      message(FATAL_ERROR "GoogleTest sources not found in ${VORN_GTEST_SOURCE_DIR} "
                          "(Debian package googletest); set VORN_GTEST_SOURCE_DIR")
    endif()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    # SYSTEM: warnings inside GoogleTest's headers are not ours to fix, as with the package.
    add_subdirectory(${VORN_GTEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL
                     SYSTEM)
  else()
    find_package(GTest REQUIRED)
  endif()
endmacro()

# Independent checks in tests use Debian's Python with ezdxf. A cross-built test program runs
# where that Python cannot be started (Windows, Wine), so it has none and skips those checks.
if(CMAKE_CROSSCOMPILING)
  set(VORN_PYTHON "")
else()
  find_program(VORN_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
  if(NOT VORN_PYTHON)
    find_program(VORN_PYTHON NAMES python3)
  endif()
endif()

# The source folder as the test programs see it (their fixtures are read from there): under
# Wine the build machine's root is drive Z:.
if(CMAKE_CROSSCOMPILING AND CMAKE_HOST_UNIX AND CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(VORN_TEST_SOURCE_DIR "Z:${PROJECT_SOURCE_DIR}")
else()
  set(VORN_TEST_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
endif()
