# Read by cpack before it builds a package. cpack stamps the package's ar,
# gzip and tar headers with SOURCE_DATE_EPOCH when it is set, and with the
# clock otherwise; this sets it, so that two builds of one commit give the
# same bytes wherever and whenever they are made:
# - a SOURCE_DATE_EPOCH already in the environment wins;
# - in a git checkout of the sources, the time of the last commit;
# - otherwise, as in a source tarball, the date of the changelog's latest
#   entry (doc/changelog).
if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(source ${CPACK_PACKAGE_TIME_SOURCE_DIR})
  file(REAL_PATH ${source} source)
  execute_process(COMMAND git -C ${source} rev-parse --show-toplevel
    OUTPUT_VARIABLE top RESULT_VARIABLE status
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(status EQUAL 0 AND top STREQUAL source)
    set(command git -C ${source} log -1 --format=%ct)
  else()
    set(command dpkg-parsechangelog -l ${source}/doc/changelog -S Timestamp)
  endif()
  execute_process(COMMAND ${command}
    OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT time MATCHES "^[0-9]+$")
    list(JOIN command " " command)
    message(FATAL_ERROR "no package time: ${command} gave \"${time}\"")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${time})
endif()
