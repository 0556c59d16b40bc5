# zlib, minizip and GoogleTest: Debian's packages natively; for win32 zlib and minizip compiled
# from zlib's source package (scripts/deps) and GoogleTest from /usr/src/googletest.
if(WIN32)
  set(QB_ZLIB_DIR ${CMAKE_SOURCE_DIR}/build/deps/zlib CACHE PATH "zlib sources (scripts/deps)")
  set(QB_MINIZIP_DIR ${CMAKE_SOURCE_DIR}/build/deps/minizip CACHE PATH "minizip sources (scripts/deps)")
  if(NOT EXISTS ${QB_ZLIB_DIR}/deflate.c OR NOT EXISTS ${QB_MINIZIP_DIR}/zip.c)
    message(FATAL_ERROR "zlib or minizip sources missing in ${CMAKE_SOURCE_DIR}/build/deps: run scripts/deps")
  endif()
  # The options Debian builds its own x86 zlib with: unaligned loads in the match search make
  # deflate about a tenth faster than the mingw package's build, with the same output.
  add_library(zlib STATIC
    ${QB_ZLIB_DIR}/adler32.c ${QB_ZLIB_DIR}/crc32.c ${QB_ZLIB_DIR}/deflate.c ${QB_ZLIB_DIR}/inffast.c
    ${QB_ZLIB_DIR}/inflate.c ${QB_ZLIB_DIR}/inftrees.c ${QB_ZLIB_DIR}/trees.c ${QB_ZLIB_DIR}/zutil.c)
  target_include_directories(zlib SYSTEM PUBLIC ${QB_ZLIB_DIR})
  target_compile_options(zlib PRIVATE -O3 -DUNALIGNED_OK -w)
  add_library(minizip STATIC ${QB_MINIZIP_DIR}/zip.c ${QB_MINIZIP_DIR}/unzip.c ${QB_MINIZIP_DIR}/ioapi.c)
  target_include_directories(minizip SYSTEM PUBLIC ${QB_MINIZIP_DIR})
  target_compile_options(minizip PRIVATE -w)
  target_link_libraries(minizip PUBLIC zlib)

  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(ZLIB REQUIRED)
  find_library(QB_MINIZIP_LIB minizip REQUIRED)
  find_path(QB_MINIZIP_INCLUDE zip.h PATH_SUFFIXES minizip REQUIRED)
  add_library(minizip INTERFACE)
  target_include_directories(minizip SYSTEM INTERFACE ${QB_MINIZIP_INCLUDE})
  target_link_libraries(minizip INTERFACE ${QB_MINIZIP_LIB} ZLIB::ZLIB)
  find_package(GTest REQUIRED)
endif()
