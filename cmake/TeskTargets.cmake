# Warning flags belong to our own targets only, never to the build as a whole.
function(tesk_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(TESK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(TESK_SANITIZE)
    set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_compile_options(${target} PRIVATE ${sanitizers} -D_GLIBCXX_ASSERTIONS)
    target_link_options(${target} PRIVATE ${sanitizers})
  endif()
  if(TESK_SANITIZE_THREAD)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  endif()
  if(TESK_FUZZ)
    # Coverage for libFuzzer in every library; only the fuzz executables link its runtime.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined
                                             -fno-omit-frame-pointer -D_GLIBCXX_ASSERTIONS)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# One static library per folder: tesk_add_library(<name> SOURCES ... [DEPENDS ...])
# creates tesk_<name> with the repository root on its public include path, so
# headers are included as "core/raster_source.h".
function(tesk_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  add_library(tesk_${name} STATIC ${ARG_SOURCES})
  target_include_directories(tesk_${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(tesk_${name} PUBLIC ${ARG_DEPENDS} PRIVATE ${ARG_PRIVATE_DEPENDS})
  tesk_set_warnings(tesk_${name})
endfunction()

# A GoogleTest executable registered test by test in CTest.
function(tesk_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    TESK_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    TESK_SAMPLES_DIR="${PROJECT_SOURCE_DIR}/samples"
    TESK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TESK_BINARY_DIR="${PROJECT_BINARY_DIR}")
  tesk_set_warnings(${name})
  # Test names come from the tables' name generators, never from printed values:
  # a printed struct shows its pointers, and the name would change from build to build.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES ENVIRONMENT "TZ=UTC")
endfunction()

# A Qt Test executable, registered in CTest as one test that needs no display.
function(tesk_add_qt_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} Qt6::Widgets Qt6::Test)
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_compile_definitions(${name} PRIVATE
    TESK_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    TESK_SAMPLES_DIR="${PROJECT_SOURCE_DIR}/samples"
    TESK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TESK_BINARY_DIR="${PROJECT_BINARY_DIR}")
  tesk_set_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "TZ=UTC;QT_QPA_PLATFORM=offscreen")
endfunction()
