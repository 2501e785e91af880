# The regression net: every picture of the repository, converted with the
# usual option sets, gives the exit status, standard output, standard error
# and output file recorded in net.txt, one line per run:
#   PICTURE OPTIONS... >TARGET STATUS OUT ERR FILE
# TARGET file is `picttotov OPTIONS in.pict out.tov`, stdout is `picttotov
# OPTIONS in.pict`; OUT, ERR and FILE are SHA-256 sums ("-": no such file).
# Corpus pictures and examples run plain, -full and -s 1.7 -l to both
# targets, those in a noheader folder with -aframe too. The fuzzer's finds in
# tests/data/regressions run with the options their names hold (DATE-WHAT.
# OPTIONS.pict: aframe, l, full, sN for -s N, pipe: the picture on standard
# input, to a file only). Each run is alone in an empty folder (the text
# example with the examples' pictfonts.cfg), HOME and QZHOME unset.
#   cmake -DBINARY=build/picttotov -DWORK=folder [-DMODE=update] -P net.cmake
# The check (default) fails listing the lines that differ; update rewrites
# net.txt and lists the runs that changed, came or went.
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

function(sha256 path result)
  set(sum -)
  if(EXISTS "${path}")
    file(SHA256 "${path}" sum)
  endif()
  set(${result} "${sum}" PARENT_SCOPE)
endfunction()

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
    sha256("${WORK}/stdout" out)
    sha256("${WORK}/stderr" err)
    sha256("${run}/out.tov" document)
    list(APPEND lines "${shown} >${target} ${status} ${out} ${err} ${document}")
  endforeach()
  set(lines ${lines} PARENT_SCOPE)
endfunction()

file(MAKE_DIRECTORY "${WORK}")
set(lines)
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

set(recorded)
if(EXISTS "${net}")
  file(STRINGS "${net}" recorded)
endif()
# The lines of one list missing from the other, and the runs they are of.
set(report)
set(changes)
macro(compare line others label)
  if(NOT "${line}" IN_LIST ${others})
    string(APPEND report "\n  ${label} ${line}")
    string(REGEX MATCH "^.* >[a-z]+" run "${line}")
    list(APPEND changes "${run}")
  endif()
endmacro()
foreach(line IN LISTS recorded)
  compare("${line}" lines "recorded:")
endforeach()
foreach(line IN LISTS lines)
  compare("${line}" recorded "now:     ")
endforeach()
list(REMOVE_DUPLICATES changes)
list(SORT changes)
list(LENGTH lines count)
list(LENGTH changes changed)

if(MODE STREQUAL "update")
  string(JOIN "\n" text ${lines})
  file(WRITE "${net}" "${text}\n")
  foreach(run IN LISTS changes)
    message(STATUS "changed: ${run}")
  endforeach()
  message(STATUS "${net}: ${count} runs, ${changed} changed")
elseif(changes)
  message(FATAL_ERROR "${changed} of ${count} runs differ from ${net}:"
                      "${report}\nIf the change is meant, run "
                      "`cmake --build --preset dev --target update-net`.")
else()
  message(STATUS "${count} runs as recorded in ${net}")
endif()
