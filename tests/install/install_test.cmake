# Installs the build into a scratch prefix and runs the installed filter by
# its bare name, as the application does, with QZHOME naming the prefix: it
# must find its messages there. Without QZHOME it must not. The default font
# mapping must be installed where the filter looks for it under QZHOME.
# Arguments: -DBUILD_DIR=... -DPREFIX=... -DSOURCE_DIR=...
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(file bin/picttotov qzinit/usenglish/APIArea/resources/picttotov.sre
             qzinit/filters/pictfonts.cfg)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E compare_files
          "${SOURCE_DIR}/resources/pictfonts.cfg"
          "${PREFIX}/qzinit/filters/pictfonts.cfg"
  RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "installed pictfonts.cfg differs from resources/")
endif()

function(run_installed qzhome status_var err_var)
  execute_process(
    COMMAND env -u HOME "QZHOME=${qzhome}" "PATH=${PREFIX}/bin:/usr/bin:/bin"
            picttotov -V
    WORKING_DIRECTORY "${PREFIX}/.."
    RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_QUIET)
  set(${status_var} "${status}" PARENT_SCOPE)
  set(${err_var} "${err}" PARENT_SCOPE)
endfunction()

run_installed("${PREFIX}" status err)
if(NOT status EQUAL 0 OR NOT err MATCHES "^picttotov[^\n]*5\\.1\n$")
  message(FATAL_ERROR "installed filter with QZHOME: status ${status}, stderr '${err}'")
endif()

run_installed("${PREFIX}/nowhere" status err)
if(NOT status EQUAL 1 OR NOT err STREQUAL "Fail to open string resource file\n")
  message(FATAL_ERROR "installed filter without messages: status ${status}, stderr '${err}'")
endif()
file(REMOVE_RECURSE "${PREFIX}")
