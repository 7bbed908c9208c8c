# Cross-compiling for another Linux architecture with Debian's cross
# compilers (g++-<triple>); the programs and tests run under qemu-user with
# the cross sysroot as their root for libraries. Two cache variables name
# the architecture:
#   CROSS_TRIPLE  the GNU triple of the compiler, such as aarch64-linux-gnu
#   CROSS_QEMU    the qemu-user program that runs its code, such as qemu-aarch64
if(NOT CROSS_TRIPLE OR NOT CROSS_QEMU)
  message(FATAL_ERROR "set CROSS_TRIPLE and CROSS_QEMU to cross-compile")
endif()
# try_compile projects read this file too, and need both.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CROSS_TRIPLE CROSS_QEMU)

set(CMAKE_SYSTEM_NAME Linux)
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR ${CROSS_TRIPLE})

set(CMAKE_C_COMPILER ${CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${CROSS_TRIPLE}-g++)

set(sysroot /usr/${CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH ${sysroot})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CROSS_QEMU} -L ${sysroot})
