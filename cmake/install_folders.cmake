# Run by the install, before anything is installed: makes each folder the
# install puts files in, and every missing folder above it, 0755 whatever
# the umask. CMake makes the folders it needs itself with the umask applied,
# so under umask 077 they would come out 0700 and a normal user could not
# read the man page or the copyright. Folders that already exist are left
# as they are.
#
# Reads FOLDERS: the install folders, relative to the prefix or absolute.

foreach(folder IN LISTS FOLDERS)
  if(NOT IS_ABSOLUTE "${folder}")
    set(folder "${CMAKE_INSTALL_PREFIX}/${folder}")
  endif()
  cmake_path(SET path NORMALIZE "$ENV{DESTDIR}${folder}")
  set(missing "")
  while(NOT EXISTS "${path}")
    list(PREPEND missing "${path}")
    cmake_path(GET path PARENT_PATH parent)
    if(parent STREQUAL path)
      break()
    endif()
    set(path "${parent}")
  endwhile()
  foreach(path IN LISTS missing)
    file(MAKE_DIRECTORY "${path}")
    file(CHMOD "${path}" PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endforeach()
endforeach()
