# The regression net: each run's exit status and SHA-256 of standard output,
# standard error and out.tov ("-": none), as recorded in net.txt, one line
# per run: PICTURE OPTIONS... >file|stdout STATUS OUT ERR FILE. Corpus
# pictures and examples run plain, -full and -s 1.7 -l, noheader ones with
# -aframe too; the fuzzer's finds in tests/data/regressions with the options
# in their names (DATE-WHAT.aframe.l.full.sN.pipe.pict; pipe: from standard
# input, to a file only). Each run is alone in an empty folder (the text
# example with the examples' pictfonts.cfg), HOME and QZHOME unset.
#   cmake -DBINARY=build/picttotov -DWORK=folder [-DMODE=update] -P net.cmake
# The check fails listing the lines that differ; update rewrites net.txt and
# lists the runs that changed, came or went. A filter built without
# QuickTime support leaves QuickTime images out with a message of its own:
# those runs are not checked, and such a filter can't record the net.
cmake_minimum_required(VERSION 3.21)
get_filename_component(source "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
set(net "${CMAKE_CURRENT_LIST_DIR}/net.txt")
if(NOT BINARY OR NOT WORK)
  message(FATAL_ERROR "usage: cmake -DBINARY=picttotov -DWORK=folder "
                      "[-DMODE=check|update] -P net.cmake")
endif()
get_filename_component(BINARY "${BINARY}" ABSOLUTE)
get_filename_component(WORK "${WORK}" ABSOLUTE)
unset(ENV{HOME})
unset(ENV{QZHOME})

# Appends the runs of `picture` with the list `options` to `lines`.
function(convert picture options stdin)
  string(JOIN " " shown ${picture} ${options})
  set(run "${WORK}/run")
  foreach(target file stdout)
    if(stdin AND target STREQUAL "stdout")
      break()
    endif()
    file(REMOVE_RECURSE "${run}")
    file(MAKE_DIRECTORY "${run}")
    file(COPY_FILE "${source}/${picture}" "${run}/in.pict")
    if(picture STREQUAL "examples/text_sample.pict")
      file(COPY_FILE "${source}/examples/pictfonts.cfg" "${run}/pictfonts.cfg")
    endif()
    set(arguments ${options})
    set(input /dev/null)
    if(stdin)
      set(input "${run}/in.pict")
    else()
      list(APPEND arguments in.pict)
    endif()
    if(target STREQUAL "file")
      list(APPEND arguments out.tov)
    endif()
    execute_process(COMMAND "${BINARY}" ${arguments} WORKING_DIRECTORY "${run}"
                    INPUT_FILE "${input}" OUTPUT_FILE "${WORK}/stdout"
                    ERROR_FILE "${WORK}/stderr" RESULT_VARIABLE status)
    file(SHA256 "${WORK}/stdout" out)
    file(SHA256 "${WORK}/stderr" err)
    set(document -)
    if(EXISTS "${run}/out.tov")
      file(SHA256 "${run}/out.tov" document)
    endif()
    # A build without QuickTime support leaves every QuickTime image out
    # with a message of its own: such a run can't be compared.
    file(READ "${WORK}/stderr" messages)
    if(messages MATCHES "built without QuickTime support")
      list(APPEND unchecked "${shown} >${target} ")
      continue()
    endif()
    list(APPEND lines "${shown} >${target} ${status} ${out} ${err} ${document}")
  endforeach()
  set(lines ${lines} PARENT_SCOPE)
  set(unchecked ${unchecked} PARENT_SCOPE)
endfunction()

file(MAKE_DIRECTORY "${WORK}")
set(lines)
set(unchecked)
file(GLOB_RECURSE corpus RELATIVE "${source}" "${source}/tests/data/corpus/*.pict")
file(GLOB examples RELATIVE "${source}" "${source}/examples/*.pict")
foreach(picture IN LISTS corpus examples)
  foreach(frame IN ITEMS "" -aframe)
    if(NOT frame OR picture MATCHES "/noheader/")
      foreach(set IN ITEMS "" "-full" "-s;1.7;-l")
        convert("${picture}" "${frame};${set}" "")
      endforeach()
    endif()
  endforeach()
endforeach()
file(GLOB regressions RELATIVE "${source}" "${source}/tests/data/regressions/*.pict")
foreach(picture IN LISTS regressions)
  get_filename_component(words "${picture}" NAME)
  string(REPLACE "." ";" words "${words}")
  list(POP_FRONT words)  # DATE-WHAT
  list(POP_BACK words)  # pict
  list(TRANSFORM words PREPEND -)
  list(TRANSFORM words REPLACE "^-s(.+)$" "-s;\\1")
  set(stdin "")
  if("-pipe" IN_LIST words)
    set(stdin 1)
    list(REMOVE_ITEM words -pipe)
  endif()
  convert("${picture}" "${words}" "${stdin}")
endforeach()
list(SORT lines)
list(LENGTH lines count)
string(JOIN "\n" text ${lines})
file(WRITE "${WORK}/net.txt" "${text}\n")

# The lines that differ, and the runs they are of.
set(recorded "${net}")
if(NOT EXISTS "${net}")
  set(recorded /dev/null)
endif()
# Without QuickTime support the net can't be recorded, and the runs that
# can't be compared leave the recorded lines.
list(LENGTH unchecked skipped)
if(skipped AND MODE STREQUAL "update")
  message(FATAL_ERROR "${skipped} runs met QuickTime images this build "
                      "leaves out: record the net with a build that has "
                      "QuickTime support (FFmpeg's development files).")
elseif(skipped)
  message(STATUS "${skipped} runs with QuickTime images not checked: the "
                 "filter was built without QuickTime support")
  file(STRINGS "${net}" kept)
  foreach(line IN LISTS kept)
    string(REGEX MATCH "^.* >[a-z]+ " run "${line}")
    if(run IN_LIST unchecked)
      list(REMOVE_ITEM kept "${line}")
    endif()
  endforeach()
  string(JOIN "\n" text ${kept})
  set(recorded "${WORK}/recorded.txt")
  file(WRITE "${recorded}" "${text}\n")
endif()
execute_process(COMMAND diff "${recorded}" "${WORK}/net.txt" OUTPUT_VARIABLE report)
string(REGEX MATCHALL "[<>] [^\n]* >[a-z]+" changes "${report}")
list(TRANSFORM changes REPLACE "^[<>] " "")
list(REMOVE_DUPLICATES changes)
list(SORT changes)
list(LENGTH changes changed)

if(MODE STREQUAL "update")
  file(COPY_FILE "${WORK}/net.txt" "${net}")
  foreach(run IN LISTS changes)
    message(STATUS "changed: ${run}")
  endforeach()
  message(STATUS "${net}: ${count} runs, ${changed} changed")
elseif(changes)
  message(FATAL_ERROR "${changed} of ${count} runs differ from ${net} "
                      "(<: recorded, >: now):\n${report}If the change is "
                      "meant, run `cmake --build --preset dev --target update-net`.")
else()
  message(STATUS "${count} runs as recorded in ${net}")
endif()
