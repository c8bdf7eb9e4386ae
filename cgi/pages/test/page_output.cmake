# Runs a page program (through EMU, "|"-separated, when given) with its output
# going to OUT, and fails unless it ends with status STATUS (default 0) having
# printed exactly the bytes of WANT.
#   cmake -DPROG=... -DWANT=... -DOUT=... [-DEMU=qemu-mips|-L|/sysroot] [-DSTATUS=255] -P page_output.cmake
if(NOT DEFINED STATUS)
  set(STATUS 0)
endif()
string(REPLACE "|" ";" emu "${EMU}")
execute_process(COMMAND ${emu} ${PROG} OUTPUT_FILE ${OUT} RESULT_VARIABLE rc)
if(NOT rc STREQUAL "${STATUS}")
  message(FATAL_ERROR "${PROG} ended with ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT} ${WANT} RESULT_VARIABLE diff)
if(NOT diff STREQUAL "0")
  message(FATAL_ERROR "${PROG} printed ${OUT}, which differs from ${WANT}")
endif()
