# Installs the udev part of a build under a scratch prefix and checks that
# everything lands under that prefix, that the table installed is the one
# beside the built library (the one the user edits), and that the installed
# rules are what the installed generator makes of that table.
#   cmake -DBUILD=<build folder> -DSCRATCH=<scratch folder> -P UdevInstallCheck.cmake
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(
  COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --component udev --prefix "${SCRATCH}/prefix"
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install failed: ${output}")
endif()
file(STRINGS "${BUILD}/install_manifest_udev.txt" installed)
list(LENGTH installed count)
if(NOT count EQUAL 4)
  message(FATAL_ERROR "expected table, generator and two rule files, got: ${installed}")
endif()
foreach(path IN LISTS installed)
  if(NOT path MATCHES "^${SCRATCH}/prefix/")
    message(FATAL_ERROR "installed outside the prefix: ${path}")
  endif()
  if(path MATCHES "/conduit-devices.txt$")
    set(table "${path}")
  elseif(path MATCHES "/conduit-udev-rules$")
    set(generator "${path}")
  elseif(path MATCHES "/lib/udev/rules.d/70-velt-instrument.rules$")
    set(rules "${path}")
  endif()
endforeach()
if(NOT table OR NOT generator OR NOT rules)
  message(FATAL_ERROR "missing from the install: ${installed}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${BUILD}/bin/conduit-devices.txt" "${table}"
                RESULT_VARIABLE different)
if(different)
  message(FATAL_ERROR "the installed table is not the one beside the built library")
endif()
execute_process(COMMAND "${generator}" "${table}" "${SCRATCH}/again" RESULT_VARIABLE result)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${SCRATCH}/again/70-velt-instrument.rules"
                        "${rules}" RESULT_VARIABLE different)
if(NOT result EQUAL 0 OR different)
  message(FATAL_ERROR "the installed rules are not those of the installed table")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
