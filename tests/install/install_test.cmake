# Installs the build into a scratch prefix and runs bin/picttotov, the
# launcher of the filter in libexec/, by its bare name: with QZHOME naming
# the prefix it finds its messages there; a QZHOME the user set elsewhere is
# left alone, so the messages are not found; with QZHOME and HOME unset, from
# another folder and through a symbolic link, it converts a picture with
# text, reading the installed default font mapping without a word, and the
# installed previewer draws it. The manual pages are installed too.
# Arguments: -DBUILD_DIR=... -DPREFIX=... -DSOURCE_DIR=...
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE installed OUTPUT_QUIET)
foreach(file share/man/man1/picttotov.1 share/man/man1/tovpreview.1)
  if(NOT installed EQUAL 0 OR NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "cmake --install failed or installed no ${file}")
  endif()
endforeach()

set(path "PATH=${PREFIX}/bin:/usr/bin:/bin")
set(version "^picttotov[^\n]*5\\.1\n$")
execute_process(COMMAND env -u HOME "QZHOME=${PREFIX}" "${path}" picttotov -V
                WORKING_DIRECTORY "${PREFIX}/.." RESULT_VARIABLE status
                ERROR_VARIABLE err OUTPUT_QUIET)
if(NOT status EQUAL 0 OR NOT err MATCHES "${version}")
  message(FATAL_ERROR "installed filter with QZHOME: status ${status}, stderr '${err}'")
endif()
execute_process(COMMAND env -u HOME "QZHOME=${PREFIX}/nowhere" "${path}" picttotov -V
                WORKING_DIRECTORY "${PREFIX}/.." RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_QUIET)
if(NOT status EQUAL 1 OR NOT err STREQUAL "Fail to open string resource file\n")
  message(FATAL_ERROR "installed filter without messages: status ${status}, stderr '${err}'")
endif()

set(work "${PREFIX}/../install-work")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}/links")
file(CREATE_LINK "${PREFIX}/bin/picttotov" "${work}/pt" SYMBOLIC)
file(CREATE_LINK "../pt" "${work}/links/pt" SYMBOLIC)
execute_process(
  COMMAND env -u HOME -u QZHOME "${path}" picttotov
          "${SOURCE_DIR}/examples/text_sample.pict" text.tov
  WORKING_DIRECTORY "${work}" RESULT_VARIABLE status OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
file(READ "${work}/text.tov" document)
if(NOT status EQUAL 0 OR NOT out STREQUAL "" OR NOT err STREQUAL "" OR
   NOT document MATCHES "^<TOVFile.*<FFamily `Geneva'>.*<TextFlow")
  message(FATAL_ERROR "installed picttotov without QZHOME: status ${status}, '${out}${err}'")
endif()
execute_process(COMMAND env -u HOME -u QZHOME links/pt -V
                WORKING_DIRECTORY "${work}" RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT err MATCHES "${version}")
  message(FATAL_ERROR "picttotov through a link: status ${status}, stderr '${err}'")
endif()
execute_process(COMMAND env "${path}" tovpreview text.tov text.svg
                WORKING_DIRECTORY "${work}" RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT EXISTS "${work}/text.svg")
  message(FATAL_ERROR "installed tovpreview: status ${status}, '${err}'")
endif()
file(REMOVE_RECURSE "${work}" "${PREFIX}")
