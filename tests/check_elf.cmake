# Checks the built program with readelf: libc.so.6 is its only library, and
# it carries the hardening of the release build (PIE, full RELRO, bind-now,
# a non-executable stack and, where the toolchain can make one, a fortified
# printf: the report goes through fprintf, so __fprintf_chk), and it keeps
# its build-id but not the compiler's .comment section.
#
# Two things the flags in CMakeLists.txt do not give this binary, and so
# are not checked. A stack canary: the strong stack protector guards only
# functions with a local array or a local whose address is taken, and no
# function of the program has either, so it imports no __stack_chk_fail.
# IBT and SHSTK in its .note.gnu.property: the linker keeps a feature only
# when every object has it, and Debian 12's start files have not (Scrt1.o
# names only the x86-64 baseline; crti.o and crtn.o have no such note),
# although the program's own code is built with -fcf-protection.
#
# Run as: cmake -DPROGRAM=... -DREADELF=... -DCAN_FORTIFY_PRINTF=ON|OFF -P check_elf.cmake

# readelf's headings are translated; the patterns below are the C locale's.
function(readelf_output option out)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C LANGUAGE= ${READELF} -W ${option} ${PROGRAM}
    OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${READELF} ${option} ${PROGRAM} failed")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

readelf_output(--dynamic dynamic)
readelf_output(--program-headers headers)
readelf_output(--dyn-syms symbols)
readelf_output(--section-headers sections)
set(failures "")
if(sections MATCHES " \\.comment ")
  list(APPEND failures "a .comment section")
endif()

string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*\\[([^]\n]*)\\]" needed_lines "${dynamic}")
set(needed "")
foreach(line IN LISTS needed_lines)
  string(REGEX REPLACE ".*\\[(.*)\\]" "\\1" library "${line}")
  list(APPEND needed "${library}")
endforeach()
if(NOT needed STREQUAL "libc.so.6")
  list(APPEND failures "needs [${needed}], not libc.so.6 alone")
endif()

set(checks
  "PIE" "FLAGS_1[^\n]*PIE" "${dynamic}"
  "bind-now" "FLAGS[^\n]*BIND_NOW" "${dynamic}"
  "RELRO" "GNU_RELRO" "${headers}"
  "non-executable stack" "GNU_STACK[^\n]* RW " "${headers}"
  "build-id" " \\.note\\.gnu\\.build-id " "${sections}")
if(CAN_FORTIFY_PRINTF)
  list(APPEND checks "fortified printf" "__[a-z]*printf_chk" "${symbols}")
  set(fortified "fortified printf")
else()
  set(fortified "no fortified printf: this toolchain cannot make one")
endif()
list(LENGTH checks length)
math(EXPR last "${length} - 1")
foreach(i RANGE 0 ${last} 3)
  math(EXPR pattern_index "${i} + 1")
  math(EXPR text_index "${i} + 2")
  list(GET checks ${i} name)
  list(GET checks ${pattern_index} pattern)
  list(GET checks ${text_index} text)
  if(NOT text MATCHES "${pattern}")
    list(APPEND failures "no ${name}")
  endif()
endforeach()

if(failures)
  list(JOIN failures "; " why)
  message(FATAL_ERROR "${PROGRAM}: ${why}")
endif()
message(STATUS "${PROGRAM}: needs libc.so.6 alone; PIE, bind-now, RELRO, NX stack, "
  "${fortified}; build-id, no .comment")
