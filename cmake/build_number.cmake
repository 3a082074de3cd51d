# Run at every build (cmake -P): writes the build number — the number of commits of the source tree,
# -1 outside a git checkout — into OUTPUT as a header, rewriting the file only when the number has
# changed, so that a build without a new commit compiles nothing again.
#   cmake -DSOURCE_DIR=<source> -DOUTPUT=<header> -P build_number.cmake
execute_process(COMMAND git rev-list --count HEAD WORKING_DIRECTORY ${SOURCE_DIR}
                OUTPUT_VARIABLE number OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT number MATCHES "^[0-9]+$")
  set(number -1)
endif()
set(text "// Made by cmake/build_number.cmake at build time.\n#pragma once\n#define VELMORA_BUILD_NUMBER ${number}\n")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} previous)
else()
  set(previous "")
endif()
if(NOT previous STREQUAL text)
  file(WRITE ${OUTPUT} "${text}")
endif()
