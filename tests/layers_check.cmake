# Keeps the source tree's dependencies running one way:
#   core (engine, textstore, fileio, datafolder, pane/model, query, reading/model, concordance)  <-  ui  <-  pane  <-  window, reading
# and the tools on the core only. Run as: cmake -DSOURCE_DIR=<repo> -P layers_check.cmake
# Each rule names the folder, the includes it may not use, and why.
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "layers_check: SOURCE_DIR not given")
endif()

set(core_forbidden "#include[ \t]*[<\"](Q[A-Za-z]*|Qt[A-Za-z]*/[^>\"]*|ui/[^\"]*|window/[^\"]*|pane/[a-z_]+\\.h|reading/[a-z_]+\\.h)[>\"]")
set(rules
  "src/engine|${core_forbidden}|the core needs only std and POSIX"
  "src/textstore|${core_forbidden}|the core needs only std and POSIX"
  "src/fileio|${core_forbidden}|the core needs only std and POSIX"
  "src/datafolder|${core_forbidden}|the core needs only std and POSIX"
  "src/pane/model|${core_forbidden}|the core needs only std and POSIX"
  "src/query|${core_forbidden}|the core needs only std and POSIX"
  "src/reading/model|${core_forbidden}|the core needs only std and POSIX"
  "src/concordance|${core_forbidden}|the core needs only std and POSIX"
  "src/ui|#include[ \t]*\"(pane|window|reading/[a-z_]+\\.h)|the shared pieces use neither the pane nor the window"
  "src/pane|#include[ \t]*\"(window/|reading/[a-z_]+\\.h)|the pane speaks to the window through signals only"
  "src/reading|#include[ \t]*\"window/(main_frame|vesk_app)|the reading aids are built by the frame, not the other way"
  "tools|${core_forbidden}|the tools use the core only")

set(failures 0)
foreach(rule IN LISTS rules)
  string(REPLACE "|" ";" parts "${rule}")
  list(GET parts 0 folder)
  list(GET parts -1 reason)
  # The pattern itself holds "|", so it is everything between the first and last field.
  list(REMOVE_AT parts 0 -1)
  list(JOIN parts "|" pattern)
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(source IN LISTS sources)
    # src/pane/model is the core, checked by its own rule.
    if(folder STREQUAL "src/pane" AND source MATCHES "/src/pane/model/")
      continue()
    endif()
    if(folder STREQUAL "src/reading" AND source MATCHES "/src/reading/model/")
      continue()
    endif()
    file(STRINGS "${source}" lines REGEX "${pattern}")
    foreach(line IN LISTS lines)
      file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
      message(SEND_ERROR "${shown}: ${line} -- ${reason}")
      math(EXPR failures "${failures} + 1")
    endforeach()
  endforeach()
endforeach()
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} include(s) against the layers")
endif()
