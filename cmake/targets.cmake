# Common flags and the helpers every folder uses to declare its library and its tests.
option(QB_WERROR "Treat warnings as errors (the test builds)" OFF)
option(QB_TSAN "Build with ThreadSanitizer (the archiver's worker threads)" OFF)
add_library(qb_flags INTERFACE)
target_compile_options(qb_flags INTERFACE -Wall -Wextra $<$<BOOL:${QB_WERROR}>:-Werror>)
if(WIN32)
  target_compile_definitions(qb_flags INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
  target_link_options(qb_flags INTERFACE -static -static-libgcc -static-libstdc++)
elseif(QB_SANITIZE)
  target_compile_options(qb_flags INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all
                                            -fno-omit-frame-pointer)
  target_link_options(qb_flags INTERFACE -fsanitize=address,undefined)
elseif(QB_TSAN)
  target_compile_options(qb_flags INTERFACE -fsanitize=thread)
  target_link_options(qb_flags INTERFACE -fsanitize=thread)
endif()

# qb_library(name SOURCES ... DEPENDS ...): the library of the folder it is declared in. Its
# include root shows that folder alone, so a target sees the folders of the libraries it links
# and no other: an include of a library it does not link does not even compile. What a library
# links for one of its files (errors/ links process/ for the viewer button) the others could
# include too; scripts/check-layers holds them to layers.txt. A root is a folder of the build tree
# that holds one link, named as the source folder, to it.
function(qb_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_link_libraries(${name} PUBLIC qb_flags ${A_DEPENDS})
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${CMAKE_BINARY_DIR}/include_roots/${name})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${name} PUBLIC ${root})
endfunction()

# qb_test(name SOURCES ... DEPENDS ... [LABELS ...]): one GoogleTest executable, one CTest entry.
# Under win32 CTest runs it through the Wine wrapper (CMAKE_CROSSCOMPILING_EMULATOR).
function(qb_test name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPENDS;LABELS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE qb_flags ${A_DEPENDS} qb_test_support GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QB_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  if(A_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${A_LABELS}")
  endif()
endfunction()
