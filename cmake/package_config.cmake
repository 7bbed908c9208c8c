# Read by cpack before it builds a package, for what only then is known.
# It also refuses a package whose Debian architecture is unknown.
#
# Time stamps. cpack stamps the package's ar, gzip and tar headers with
# SOURCE_DATE_EPOCH when it is set, and with the clock otherwise. This sets
# it, so that two builds of one commit give the same bytes wherever and
# whenever they are made:
# - a SOURCE_DATE_EPOCH already in the environment wins;
# - in a git checkout of the sources, the time of the last commit;
# - otherwise, as in a source tarball, the date of the changelog's latest
#   entry (doc/changelog).
#
# Depends. The program needs libc.so.6 alone (a test checks it), so it
# depends on libc6, at the highest GLIBC_ symbol version it needs
# (GLIBC_2.34 gives libc6 (>= 2.34)). The versions are read off the binary
# with the target's readelf, so this holds for a cross build too, where
# dpkg-shlibdeps would find no libc6 for the target, only the host's -cross
# packages.
if(NOT CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
  message(FATAL_ERROR "no Debian architecture: dpkg-architecture (dpkg-dev) names it")
endif()

if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(source ${CPACK_PACKAGE_CONFIG_SOURCE_DIR})
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

set(program ${CPACK_PACKAGE_CONFIG_PROGRAM})
execute_process(COMMAND ${CPACK_PACKAGE_CONFIG_READELF} -W --version-info ${program}
  OUTPUT_VARIABLE needs RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot read the symbol versions of ${program}")
endif()
string(REGEX REPLACE ".*'\\.gnu\\.version_r'" "" needs "${needs}")
string(REGEX MATCHALL "File: [^ \n]+" libraries "${needs}")
if(NOT libraries STREQUAL "File: libc.so.6")
  message(FATAL_ERROR "${program} needs versions from [${libraries}], not libc.so.6 alone")
endif()
string(REGEX MATCHALL "Name: GLIBC_[0-9.]+" versions "${needs}")
set(highest 0)
foreach(version IN LISTS versions)
  string(REPLACE "Name: GLIBC_" "" version ${version})
  if(version VERSION_GREATER highest)
    set(highest ${version})
  endif()
endforeach()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= ${highest})")
