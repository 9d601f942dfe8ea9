cmake_minimum_required(VERSION 3.25)
# Fails when a source includes a room on a higher floor. Run with -DSRC=<src folder>.
# Floors, lowest first; rooms on one line share a floor and may include each other.
set(_floors
  "common platform"
  "image imaging_library"
  "display engine"
  "edit"
  "batch"
  "thumbs"
  "viewer album explorer slideshow jpeg_tools tools"
  "app"
  "cli")
# The viewer window drives the program's start-up and shutdown, which live in app/; the Qt
# platform layer draws text and metafile pages into pictures for the loader.
# The engine's parameter dialogs are its forms: the JPEG wizard saves through edit/save_as.
set(_allowed "viewer/forms -> app" "platform/qt -> image" "engine/dialogs -> edit")

set(_level 0)
foreach(line IN LISTS _floors)
  string(REPLACE " " ";" _rooms "${line}")
  foreach(r IN LISTS _rooms)
    set(_floor_${r} ${_level})
  endforeach()
  math(EXPR _level "${_level} + 1")
endforeach()

file(GLOB_RECURSE _files ${SRC}/*.cpp ${SRC}/*.h)
set(_bad "")
foreach(f IN LISTS _files)
  file(RELATIVE_PATH _rel ${SRC} ${f})
  string(REGEX MATCH "^[a-z_]+" _room "${_rel}")
  if(NOT DEFINED _floor_${_room})
    list(APPEND _bad "${_rel}: room '${_room}' has no floor")
    continue()
  endif()
  set(_part "${_room}")
  if(_rel MATCHES "^[a-z_]+/(forms|qt|dialogs)/")
    string(REGEX MATCH "^[a-z_]+/[a-z]+" _part "${_rel}")
  endif()
  file(STRINGS ${f} _incs REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
  foreach(inc IN LISTS _incs)
    string(REGEX MATCH "\"([a-z_]+)/" _m "${inc}")
    set(_to "${CMAKE_MATCH_1}")
    if(NOT DEFINED _floor_${_to})
      continue()
    endif()
    if(_floor_${_to} GREATER _floor_${_room} AND NOT "${_part} -> ${_to}" IN_LIST _allowed)
      list(APPEND _bad "${_rel} includes ${_to}/ (a higher floor)")
    endif()
  endforeach()
endforeach()
if(_bad)
  list(JOIN _bad "\n" _msg)
  message(FATAL_ERROR "Includes that climb a floor:\n${_msg}")
endif()
