# Source sets are found by folder so a new file in its subsystem's room joins the right target.
#   core:        src/**/*.cpp except forms/, dialogs/, platform/qt/, cli/ and the program entry
#   platform_qt: src/platform/qt/*.cpp
#   forms:       src/**/forms/*.cpp and src/engine/dialogs/*.cpp
#   cli:         src/cli/*.cpp

function(_pelira_glob out)
  file(GLOB_RECURSE _all CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp)
  set(${out} ${_all} PARENT_SCOPE)
endfunction()

function(pelira_core_sources out)
  _pelira_glob(_all)
  list(FILTER _all EXCLUDE REGEX "/forms/|/dialogs/|/platform/qt/|/src/cli/|/src/app/main\\.cpp$")
  set(${out} ${_all} PARENT_SCOPE)
endfunction()

function(pelira_platform_qt_sources out)
  file(GLOB _s CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/qt/*.cpp ${CMAKE_SOURCE_DIR}/src/platform/qt/*.h)
  set(${out} ${_s} PARENT_SCOPE)
endfunction()

# Qt headers are listed too so AUTOMOC always sees them.
function(pelira_forms_sources out)
  file(GLOB_RECURSE _all CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.h)
  list(FILTER _all INCLUDE REGEX "/forms/|/src/engine/dialogs/")
  set(${out} ${_all} PARENT_SCOPE)
endfunction()

function(pelira_cli_sources out)
  file(GLOB _s CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/cli/*.cpp)
  set(${out} ${_s} PARENT_SCOPE)
endfunction()
