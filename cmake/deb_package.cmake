# Builds the Debian package. cpack's External generator runs this once it
# has installed the project into a staging tree (CPACK_TEMPORARY_DIRECTORY),
# and the package is made from that tree by dpkg-deb, Debian's own tool,
# so that nothing of the builder's machine gets into it:
# - modes are set here, not inherited from the umask: folders and the
#   program 0755, every other file 0644; dpkg-deb gives its own ar members
#   fixed modes, and --root-owner-group makes every owner root;
# - every time stamp is SOURCE_DATE_EPOCH: one already in the environment
#   wins; otherwise it is the date of the changelog's latest entry, as
#   Debian's own tools take it, so a clone and an unpacked source tarball
#   of one commit make the same bytes;
# - the tools whose output is read run in the C locale, so the package is
#   the same whatever language the builder's machine speaks.
#
# Depends. The program needs libc.so.6 alone (a test checks it), so it
# depends on libc6, at the highest GLIBC_ symbol version it needs
# (GLIBC_2.34 gives libc6 (>= 2.34)). The versions are read off the binary
# with the target's readelf, so this holds for a cross build too, where
# dpkg-shlibdeps would find no libc6 for the target, only the host's -cross
# packages.
#
# Reads, besides cpack's own variables, these from CMakeLists.txt:
#   CPACK_DEB_SCRIPT_ARCHITECTURE  the Debian architecture, empty without dpkg-dev
#   CPACK_DEB_SCRIPT_FILE_NAME     the package's file name
#   CPACK_DEB_SCRIPT_CONTROL       the control file, ${installed_size} and
#                                  ${libc_version} still to be filled in here
#   CPACK_DEB_SCRIPT_CHANGELOG     the Debian changelog, for the time
#   CPACK_DEB_SCRIPT_PROGRAM       the built program, for its needs
#   CPACK_DEB_SCRIPT_READELF       the target's readelf

if(NOT CPACK_DEB_SCRIPT_ARCHITECTURE)
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
  run_in_c_locale(time dpkg-parsechangelog -l ${CPACK_DEB_SCRIPT_CHANGELOG} -S Timestamp)
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
set(libc_version 0)
foreach(version IN LISTS versions)
  string(REPLACE "Name: GLIBC_" "" version ${version})
  if(version VERSION_GREATER libc_version)
    set(libc_version ${version})
  endif()
endforeach()

# Installed-Size, in KiB, as dpkg-gencontrol counts it over the tree it is
# given: each file's size rounded up, and 1 for every folder, the tree's
# own and DEBIAN included, as in a debhelper build, where DEBIAN exists
# and is still empty when dpkg-gencontrol runs. The same pass lists the
# files' sums; the glob comes sorted.
set(root ${CPACK_TEMPORARY_DIRECTORY})
file(MAKE_DIRECTORY ${root}/DEBIAN)
file(GLOB_RECURSE entries LIST_DIRECTORIES true ${root}/*)
set(installed_size 1)
set(md5sums "")
foreach(entry IN LISTS entries)
  if(IS_DIRECTORY ${entry})
    math(EXPR installed_size "${installed_size} + 1")
  else()
    file(SIZE ${entry} bytes)
    math(EXPR installed_size "${installed_size} + (${bytes} + 1023) / 1024")
    file(MD5 ${entry} md5)
    file(RELATIVE_PATH file ${root} ${entry})
    string(APPEND md5sums "${md5}  ${file}\n")
  endif()
endforeach()
file(READ ${CPACK_DEB_SCRIPT_CONTROL} control)
string(CONFIGURE "${control}" control)
file(WRITE ${root}/DEBIAN/control "${control}")
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
set(deb ${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_DEB_SCRIPT_FILE_NAME})
run_in_c_locale(ignored dpkg-deb --root-owner-group -Zxz --build ${root} ${deb})
set(CPACK_EXTERNAL_BUILT_PACKAGES ${deb})
