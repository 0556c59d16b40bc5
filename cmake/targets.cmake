# Common flags and the helpers every folder uses to declare its library and its tests.
option(QB_WERROR "Treat warnings as errors (the test builds)" OFF)
add_library(qb_flags INTERFACE)
target_compile_options(qb_flags INTERFACE -Wall -Wextra $<$<BOOL:${QB_WERROR}>:-Werror>)
target_include_directories(qb_flags INTERFACE ${CMAKE_SOURCE_DIR})
if(WIN32)
  target_compile_definitions(qb_flags INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
  target_link_options(qb_flags INTERFACE -static -static-libgcc -static-libstdc++)
elseif(QB_SANITIZE)
  target_compile_options(qb_flags INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all
                                            -fno-omit-frame-pointer)
  target_link_options(qb_flags INTERFACE -fsanitize=address,undefined)
endif()

# qb_library(name SOURCES ... DEPENDS ...)
function(qb_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_link_libraries(${name} PUBLIC qb_flags ${A_DEPENDS})
endfunction()

# qb_test(name SOURCES ... DEPENDS ... [LABELS ...]): one GoogleTest executable, one CTest entry.
# Under win32 CTest runs it through the Wine wrapper (CMAKE_CROSSCOMPILING_EMULATOR).
function(qb_test name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPENDS;LABELS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE qb_flags ${A_DEPENDS} GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QB_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  if(A_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${A_LABELS}")
  endif()
endfunction()
