# The regression net: every picture the repository holds, converted with the
# usual option sets, must give exactly the exit status, standard output,
# standard error and output file recorded in net.txt. One line per run:
#
#   PICTURE OPTIONS... >TARGET STATUS OUT ERR FILE
#
# PICTURE is relative to the source folder; TARGET is "file" for
# `picttotov OPTIONS in.pict out.tov` and "stdout" for `picttotov OPTIONS
# in.pict`; OUT, ERR and FILE are the SHA-256 of standard output, standard
# error and out.tov ("-" where no file is named). Every picture runs plain,
# with -full and with -s 1.7 -l, each to a file and to standard output;
# pictures in a noheader folder run with -aframe too (a picture with its
# header is refused at once under -aframe, so those runs are left out). The
# fuzzer's finds in tests/data/regressions run with the options in their
# names (DATE-WHAT.OPTIONS.pict: aframe, l, full, sN for -s N, pipe for the
# picture on standard input).
#
# Each run is in an empty folder holding only the picture (and, for the text
# example, the examples' pictfonts.cfg, as when run from examples/), with
# HOME and QZHOME unset; the messages are the ones beside the binary.
#
#   cmake -DBINARY=build/picttotov -DWORK=folder [-DMODE=update] -P net.cmake
#
# MODE check (the default) fails listing every line that differs; update
# writes net.txt and lists the runs whose line changed (or came or went).
# A filter built without QuickTime support leaves QuickTime images out with
# a message of its own: those runs are not checked, and such a filter can't
# record the net.
cmake_minimum_required(VERSION 3.21)

get_filename_component(source "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
set(net "${CMAKE_CURRENT_LIST_DIR}/net.txt")
if(NOT BINARY OR NOT WORK)
  message(FATAL_ERROR "usage: cmake -DBINARY=picttotov -DWORK=folder "
                      "[-DMODE=check|update] -P net.cmake")
endif()
if(NOT MODE)
  set(MODE check)
endif()
get_filename_component(BINARY "${BINARY}" ABSOLUTE)
get_filename_component(WORK "${WORK}" ABSOLUTE)
unset(ENV{HOME})
unset(ENV{QZHOME})

function(sha256 path result)
  if(EXISTS "${path}")
    file(SHA256 "${path}" sum)
  else()
    set(sum -)
  endif()
  set(${result} "${sum}" PARENT_SCOPE)
endfunction()

# Converts `picture` with the options in the list `options`, to a file and
# to standard output (or only to a file when `stdin` is set, with the
# picture on standard input), and appends one line per run to `lines`.
function(convert picture options stdin)
  string(JOIN " " shown ${picture} ${options})
  set(targets file stdout)
  if(stdin)
    set(targets file)
  endif()
  foreach(target IN LISTS targets)
    set(run "${WORK}/run")
    file(REMOVE_RECURSE "${run}")
    file(MAKE_DIRECTORY "${run}")
    file(COPY_FILE "${source}/${picture}" "${run}/in.pict")
    if(picture STREQUAL "examples/text_sample.pict")
      file(COPY_FILE "${source}/examples/pictfonts.cfg"
           "${run}/pictfonts.cfg")
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
    execute_process(COMMAND "${BINARY}" ${arguments}
                    WORKING_DIRECTORY "${run}" INPUT_FILE "${input}"
                    OUTPUT_FILE "${WORK}/stdout" ERROR_FILE "${WORK}/stderr"
                    RESULT_VARIABLE status)
    sha256("${WORK}/stdout" out)
    sha256("${WORK}/stderr" err)
    set(document -)
    if(target STREQUAL "file")
      sha256("${run}/out.tov" document)
    endif()
    # A build without QuickTime support leaves every QuickTime image out
    # with a message of its own: such a run can't be compared.
    file(READ "${WORK}/stderr" messages)
    if(messages MATCHES "built without QuickTime support")
      list(APPEND unchecked "${shown} >${target} ")
      continue()
    endif()
    set(lines ${lines}
        "${shown} >${target} ${status} ${out} ${err} ${document}")
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
    if(frame AND NOT picture MATCHES "/noheader/")
      continue()
    endif()
    foreach(set IN ITEMS "" "-full" "-s;1.7;-l")
      set(options ${frame} ${set})
      convert("${picture}" "${options}" "")
    endforeach()
  endforeach()
endforeach()

file(GLOB regressions RELATIVE "${source}"
     "${source}/tests/data/regressions/*.pict")
foreach(picture IN LISTS regressions)
  get_filename_component(words "${picture}" NAME)
  string(REPLACE "." ";" words "${words}")
  list(POP_FRONT words)  # DATE-WHAT
  list(POP_BACK words)  # pict
  set(options)
  set(stdin "")
  foreach(word IN LISTS words)
    if(word STREQUAL "pipe")
      set(stdin 1)
    elseif(word MATCHES "^s(.+)$")
      list(APPEND options -s "${CMAKE_MATCH_1}")
    else()
      list(APPEND options "-${word}")
    endif()
  endforeach()
  convert("${picture}" "${options}" "${stdin}")
endforeach()
list(SORT lines)

# The recorded lines, and the runs whose line differs from them, by run.
set(recorded)
if(EXISTS "${net}")
  file(STRINGS "${net}" recorded)
endif()
function(run_of line result)
  string(REGEX MATCH "^.* >[a-z]+ " run "${line}")
  set(${result} "${run}" PARENT_SCOPE)
endfunction()
list(LENGTH unchecked skipped)
if(skipped AND MODE STREQUAL "update")
  message(FATAL_ERROR "${skipped} runs met QuickTime images this build "
                      "leaves out: record the net with a build that has "
                      "QuickTime support (FFmpeg's development files).")
endif()
if(skipped)
  message(STATUS "${skipped} runs with QuickTime images not checked: the "
                 "filter was built without QuickTime support")
  set(kept)
  foreach(line IN LISTS recorded)
    run_of("${line}" run)
    list(FIND unchecked "${run}" at)
    if(at LESS 0)
      list(APPEND kept "${line}")
    endif()
  endforeach()
  set(recorded ${kept})
endif()
set(changes)
foreach(line IN LISTS lines)
  list(FIND recorded "${line}" at)
  if(at LESS 0)
    run_of("${line}" run)
    list(APPEND changes "${run}")
  endif()
endforeach()
foreach(line IN LISTS recorded)
  list(FIND lines "${line}" at)
  if(at LESS 0)
    run_of("${line}" run)
    list(APPEND changes "${run}")
  endif()
endforeach()
list(REMOVE_DUPLICATES changes)
list(SORT changes)
list(LENGTH lines count)

if(MODE STREQUAL "update")
  string(JOIN "\n" text ${lines})
  file(WRITE "${net}" "${text}\n")
  foreach(run IN LISTS changes)
    string(STRIP "${run}" run)
    message(STATUS "changed: ${run}")
  endforeach()
  list(LENGTH changes changed)
  message(STATUS "${net}: ${count} runs, ${changed} changed")
elseif(changes)
  set(report)
  foreach(run IN LISTS changes)
    set(was "(no such run)")
    set(now "(no such run)")
    foreach(line IN LISTS recorded)
      string(FIND "${line}" "${run}" at)
      if(at EQUAL 0)
        set(was "${line}")
      endif()
    endforeach()
    foreach(line IN LISTS lines)
      string(FIND "${line}" "${run}" at)
      if(at EQUAL 0)
        set(now "${line}")
      endif()
    endforeach()
    string(APPEND report "\n  recorded: ${was}\n  now:      ${now}")
  endforeach()
  list(LENGTH changes changed)
  message(FATAL_ERROR "${changed} of ${count} runs differ from ${net}:"
                      "${report}\nIf the change is meant, run "
                      "`cmake --build --preset dev --target update-net`.")
else()
  message(STATUS "${count} runs as recorded in ${net}")
endif()
