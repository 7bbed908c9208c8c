# Builds the Debian package. cpack's External generator runs this once it
# has installed the project into a staging tree (CPACK_TEMPORARY_DIRECTORY),
# and the package is made from that tree by dpkg-deb, Debian's own tool,
# so that nothing of the builder's machine gets into it:
# - modes are set here, not inherited from the umask: folders and the
#   program 0755, every other file 0644; dpkg-deb gives its own ar members
#   fixed modes, and --root-owner-group makes every owner root;
# - every time stamp is SOURCE_DATE_EPOCH (see below);
# - the tools whose output is read run in the C locale, so the package is
#   the same whatever language the builder's machine speaks.
#
# SOURCE_DATE_EPOCH: one already in the environment wins; in a git checkout
# of the sources it is the time of the last commit; otherwise, as in a
# source tarball, the date of the changelog's latest entry (doc/changelog).
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

# run_in_c_locale(OUT command...): the command's standard output, as the C
# locale prints it; a failure stops the package.
function(run_in_c_locale out)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C LANGUAGE= ${ARGN}
    OUTPUT_VARIABLE text RESULT_VARIABLE status OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "${command} failed: ${status}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(source ${CPACK_DEB_SCRIPT_SOURCE_DIR})
  file(REAL_PATH ${source} source)
  execute_process(COMMAND git -C ${source} rev-parse --show-toplevel
    OUTPUT_VARIABLE top RESULT_VARIABLE status
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(status EQUAL 0 AND top STREQUAL source)
    run_in_c_locale(time git -C ${source} log -1 --format=%ct)
  else()
    run_in_c_locale(time dpkg-parsechangelog -l ${source}/doc/changelog -S Timestamp)
  endif()
  if(NOT time MATCHES "^[0-9]+$")
    message(FATAL_ERROR "no package time: \"${time}\" is not a number of seconds")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${time})
endif()

set(program ${CPACK_DEB_SCRIPT_PROGRAM})
run_in_c_locale(needs ${CPACK_DEB_SCRIPT_READELF} -W --version-info ${program})
string(REGEX REPLACE ".*'\\.gnu\\.version_r'" "" needs "${needs}")
string(REGEX MATCHALL "File: [^ \n]+" libraries "${needs}")
string(REGEX MATCHALL "Name: GLIBC_[0-9.]+" versions "${needs}")
if(NOT libraries OR NOT versions)
  message(FATAL_ERROR "cannot read the symbol versions of ${program}: "
    "readelf --version-info shows no libraries or no GLIBC_ versions")
endif()
if(NOT libraries STREQUAL "File: libc.so.6")
  message(FATAL_ERROR "${program} needs versions from [${libraries}], not libc.so.6 alone")
endif()
set(highest 0)
foreach(version IN LISTS versions)
  string(REPLACE "Name: GLIBC_" "" version ${version})
  if(version VERSION_GREATER highest)
    set(highest ${version})
  endif()
endforeach()

# The staged files, and their size in KiB, each rounded up, as
# dpkg-gencontrol counts Installed-Size.
set(root ${CPACK_TEMPORARY_DIRECTORY})
file(GLOB_RECURSE files RELATIVE ${root} ${root}/*)
list(SORT files)
set(size 0)
set(md5sums "")
foreach(file IN LISTS files)
  file(SIZE ${root}/${file} bytes)
  math(EXPR size "${size} + (${bytes} + 1023) / 1024")
  file(MD5 ${root}/${file} md5)
  string(APPEND md5sums "${md5}  ${file}\n")
endforeach()

# Debian's control file: the long description's lines each start with a
# space, and an empty one is written " .".
string(REPLACE "\n" "\n " description " ${CPACK_PACKAGE_DESCRIPTION}")
string(REPLACE "\n \n" "\n .\n" description "${description}")
file(WRITE ${root}/DEBIAN/control "Package: ${CPACK_DEBIAN_PACKAGE_NAME}
Version: ${CPACK_PACKAGE_VERSION}
Architecture: ${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}
Maintainer: ${CPACK_DEBIAN_PACKAGE_MAINTAINER}
Installed-Size: ${size}
Depends: libc6 (>= ${highest})
Section: ${CPACK_DEBIAN_PACKAGE_SECTION}
Priority: ${CPACK_DEBIAN_PACKAGE_PRIORITY}
Description: ${CPACK_PACKAGE_DESCRIPTION_SUMMARY}
${description}
")
file(WRITE ${root}/DEBIAN/md5sums "${md5sums}")

# Modes and times of the whole tree, DEBIAN included. dpkg-deb clamps time
# stamps to SOURCE_DATE_EPOCH but keeps older ones; these are all set to it.
set(folder_mode OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE)
file(CHMOD_RECURSE ${root} DIRECTORY_PERMISSIONS ${folder_mode}
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(GLOB programs ${root}/usr/bin/*)
file(CHMOD ${programs} PERMISSIONS ${folder_mode})
file(GLOB_RECURSE entries LIST_DIRECTORIES true ${root}/*)
run_in_c_locale(ignored touch --no-dereference --date=@$ENV{SOURCE_DATE_EPOCH}
  ${root} ${entries})

# cpack copies the package from beside the staging tree to the build folder.
set(deb ${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_DEBIAN_FILE_NAME})
run_in_c_locale(ignored dpkg-deb --root-owner-group -Zxz --build ${root} ${deb})
set(CPACK_EXTERNAL_BUILT_PACKAGES ${deb})
