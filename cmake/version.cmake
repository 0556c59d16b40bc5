# QB_VERSION: the project's version, plus what `git describe` says of this checkout unless it is
# the commit tagged v<version> with no local changes: a build is never taken for the release.
# Package managers order the builds: those after the tag by their commits since it, and those
# before by their commits, below the release ("~" sorts before all, as in Debian's versions).
find_package(Git QUIET)
set(QB_VERSION ${PROJECT_VERSION})
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} describe --tags --always --dirty --match v${PROJECT_VERSION}
                  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE qb_describe
                  RESULT_VARIABLE qb_describe_failed OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT qb_describe_failed)
    if(qb_describe MATCHES "^v${PROJECT_VERSION}(.*)$")
      string(APPEND QB_VERSION "${CMAKE_MATCH_1}")  # -N-gHASH after the tag, -dirty
    else()
      execute_process(COMMAND ${GIT_EXECUTABLE} rev-list --count HEAD
                      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} OUTPUT_VARIABLE qb_commits
                      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      string(APPEND QB_VERSION "~${qb_commits}-g${qb_describe}")  # no tag yet
    endif()
  endif()
endif()
message(STATUS "quolmerBackup version ${QB_VERSION}")

# The packages' base name, as scripts/release writes them into dist/.
if(WIN32)
  set(QB_PACKAGE_NAME quolmerBackup-${QB_VERSION}-win32)
else()
  set(QB_PACKAGE_NAME quolmerBackup-${QB_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
  # Debian's versions keep "-" for the packaging revision.
  string(REPLACE - + QB_DEB_VERSION ${QB_VERSION})
  set(QB_DEB_NAME quolmerbackup_${QB_DEB_VERSION}_amd64)
endif()
