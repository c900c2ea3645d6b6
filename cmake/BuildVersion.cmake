# Writes the version and build-date headers, run at every build (cmake -P) because the commit
# moves without a new configure:
#     cmake -DVERSION=1.0.0 -DSOURCE_DIR=<tree> -DOUTPUT_DIR=<folder> [-DDESCRIBE=<text>] -P BuildVersion.cmake
# BuildVersion.h: the release's version at its tag "v<VERSION>", with the commit added between
# releases ("1.0.0-12-gabcdef0", or "1.0.0-gabcdef0" before the first tag). DESCRIBE stands in for
# `git describe --long`'s answer ("none": no git or no repository).
# BuildDate.h: with SOURCE_DATE_EPOCH set, the build date and time are that moment in UTC, in the
# form of the compiler's __DATE__ and __TIME__, so that two builds of one commit agree.
cmake_minimum_required(VERSION 3.20)

if(NOT VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "VERSION must be major.minor.patch, not '${VERSION}'")
endif()
set(binary "${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}, ${CMAKE_MATCH_3}")

if(NOT DEFINED DESCRIBE)
  set(DESCRIBE none)
  find_program(GIT NAMES git)
  if(GIT)
    execute_process(COMMAND ${GIT} describe --tags --long --abbrev=7 --match "v${VERSION}" HEAD
      WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE found RESULT_VARIABLE failed
      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(failed)
      # No tag for this version yet: the commit alone.
      execute_process(COMMAND ${GIT} rev-parse --short=7 HEAD
        WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE found RESULT_VARIABLE failed
        OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      set(found "g${found}")
    endif()
    if(NOT failed)
      set(DESCRIBE "${found}")
    endif()
  endif()
endif()

if(DESCRIBE STREQUAL "none")
  set(text "${VERSION}")
  set(distance 0)
elseif(DESCRIBE MATCHES "^v${VERSION}-([0-9]+)-(g[0-9a-f]+)$")
  set(distance ${CMAKE_MATCH_1})
  if(distance EQUAL 0)
    set(text "${VERSION}")
  else()
    set(text "${VERSION}-${distance}-${CMAKE_MATCH_2}")
  endif()
elseif(DESCRIBE MATCHES "^g[0-9a-f]+$")
  set(text "${VERSION}-${DESCRIBE}")
  set(distance 0)
else()
  message(FATAL_ERROR "cannot read the commit from '${DESCRIBE}'")
endif()
# The fourth field counts the commits since the release; a version field holds 16 bits.
if(distance GREATER 65535)
  set(distance 65535)
endif()

set(version_header "// Written by cmake/BuildVersion.cmake at every build.
#define VANTREL_VERSION_BINARY ${binary}, ${distance}
#define VANTREL_VERSION_TEXT \"${text}\"
")

set(date_header "// Written by cmake/BuildVersion.cmake at every build.\n")
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH must be seconds since 1970, not '$ENV{SOURCE_DATE_EPOCH}'")
  endif()
  # string(TIMESTAMP) takes SOURCE_DATE_EPOCH in place of the clock. The month's name comes
  # from a list, not from %b, which would follow the locale.
  string(TIMESTAMP month "%m" UTC)
  string(TIMESTAMP day "%d" UTC)
  string(TIMESTAMP year "%Y" UTC)
  string(TIMESTAMP time "%H:%M:%S" UTC)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  math(EXPR month "${month} - 1")
  list(GET months ${month} month)
  # __DATE__ pads a one-digit day with a blank: "Aug  8 2024".
  string(REGEX REPLACE "^0" " " day "${day}")
  string(APPEND date_header "#define VANTREL_BUILD_DATE \"${month} ${day} ${year}\"\n")
  string(APPEND date_header "#define VANTREL_BUILD_TIME \"${time}\"\n")
endif()

# Rewritten only when changed, so that an unchanged version compiles nothing again.
foreach(pair "BuildVersion.h;version_header" "BuildDate.h;date_header")
  list(GET pair 0 name)
  list(GET pair 1 variable)
  set(old "")
  if(EXISTS "${OUTPUT_DIR}/${name}")
    file(READ "${OUTPUT_DIR}/${name}" old)
  endif()
  if(NOT old STREQUAL "${${variable}}")
    file(WRITE "${OUTPUT_DIR}/${name}" "${${variable}}")
  endif()
endforeach()
