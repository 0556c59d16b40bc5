# The Windows tests on a machine that cannot run 32-bit programs: the same code built for 64-bit
# Windows, under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
