# Fails unless LIBRARY defines exactly the entry points in its dynamic
# symbol table. Run with -DNM=<nm> -DLIBRARY=<path>.
execute_process(
  COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE symbols
  RESULT_VARIABLE result
)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^ \n]+\n" names "${symbols}")
list(TRANSFORM names STRIP)
list(SORT names)
set(expected GetAppInstallPath GetInstallerLibVersion SetInstallerExitInfo)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exported: ${names}; expected only: ${expected}")
endif()
message(STATUS "exported: ${names}")
