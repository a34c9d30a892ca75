# Fails when an include in src/ crosses the dependency order of the design:
#   qt -> program -> clearing, carryforward, standalone -> transfer -> app -> schema
#      -> forms, engine -> runtime
# A folder includes only its own files and those of folders below it, so folders on one
# floor (engine and forms; the subsystems) never include each other. Only qt/ includes
# Qt; only engine/ includes sqlite3.
#
#   cmake -DSRC_DIR=<src> -P CheckIncludes.cmake   checks every file under SRC_DIR
#   cmake -DSELF_TEST=ON -P CheckIncludes.cmake     shows that the check catches crossings

set(_floor_runtime 0)
set(_floor_engine 1)
set(_floor_forms 1)
set(_floor_schema 2)
set(_floor_app 3)
set(_floor_transfer 4)
set(_floor_clearing 5)
set(_floor_carryforward 5)
set(_floor_standalone 5)
set(_floor_program 6)
set(_floor_qt 7)

# The crossings in `text`, a file of `folder`, appended to the list named by `out`.
function(crossings folder text out)
  set(found "")
  if(NOT DEFINED _floor_${folder})
    list(APPEND found "${folder}/ is not a floor of the dependency order")
  endif()
  string(REGEX MATCHALL "#[ \t]*include[ \t]*[<\"][^>\"]+[>\"]" includes "${text}")
  foreach(inc IN LISTS includes)
    string(REGEX REPLACE "^#[ \t]*include[ \t]*" "" target "${inc}")
    if(target MATCHES "^<Q" AND NOT folder STREQUAL "qt")
      list(APPEND found "${target}: only qt/ includes Qt")
    elseif(target MATCHES "^<sqlite3" AND NOT folder STREQUAL "engine")
      list(APPEND found "${target}: only engine/ includes sqlite3")
    elseif(target MATCHES "^\"([a-z]+)/")
      set(other "${CMAKE_MATCH_1}")
      if(other STREQUAL folder OR NOT DEFINED _floor_${other} OR NOT DEFINED _floor_${folder})
        continue()
      endif()
      if(NOT _floor_${other} LESS _floor_${folder})
        list(APPEND found "${target}: ${folder}/ may not include ${other}/")
      endif()
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

if(SELF_TEST)
  # folder | file text | crossings expected
  set(cases
      "engine|#include \"forms/Form.h\"|1"
      "forms|#include \"engine/Dao.h\"|1"
      "clearing|#include \"carryforward/Source.h\"|1"
      "app|#include \"transfer/CopyPlan.h\"|1"
      "runtime|#include \"engine/Dao.h\"|1"
      "schema|#include \"app/frmSysAdmin.h\"|1"
      "program|#include <QWidget>|1"
      "app|#include <sqlite3.h>|1"
      "misc|#include <string>|1"
      "engine|#  include <sqlite3.h>|0"
      "qt|#include <QWidget>\n#include \"program/Program.h\"|0"
      "clearing|#include \"transfer/Busy.h\"\n#include \"app/Window.h\"|0"
      "schema|#include \"forms/Desktop.h\"\n#include \"engine/Dao.h\"|0"
      "app|#include \"Local.h\"\n#include <quolby/Version.h>\n#include <string>|0")
  set(failed 0)
  foreach(c IN LISTS cases)
    string(REPLACE "|" ";" parts "${c}")
    list(GET parts 0 folder)
    list(GET parts 1 text)
    list(GET parts 2 expected)
    crossings("${folder}" "${text}" found)
    list(LENGTH found count)
    if(NOT count EQUAL expected)
      message(SEND_ERROR "${folder}: '${text}' gave ${count} crossings, expected ${expected}")
      set(failed 1)
    endif()
  endforeach()
  return()
endif()

if(NOT SRC_DIR)
  message(FATAL_ERROR "give -DSRC_DIR=<the src folder>")
endif()
get_filename_component(SRC_DIR "${SRC_DIR}" ABSOLUTE)
file(GLOB_RECURSE files RELATIVE "${SRC_DIR}" "${SRC_DIR}/*.h" "${SRC_DIR}/*.cpp")
list(FILTER files INCLUDE REGEX "/") # the files of a floor, not those beside the floors
set(all "")
foreach(rel IN LISTS files)
  string(REGEX MATCH "^[^/]+" folder "${rel}")
  file(READ "${SRC_DIR}/${rel}" text)
  crossings("${folder}" "${text}" found)
  foreach(f IN LISTS found)
    list(APPEND all "src/${rel}: ${f}")
  endforeach()
endforeach()
if(all)
  list(JOIN all "\n" lines)
  message(FATAL_ERROR "includes that cross the dependency order:\n${lines}")
endif()
list(LENGTH files count)
message(STATUS "${count} files keep the dependency order")
