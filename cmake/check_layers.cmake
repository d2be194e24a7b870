# Refuses an include that reaches up the layers. Run as
#   cmake -DROOT=SOURCE_DIR -P check_layers.cmake
# Each layer lists the folders it may not include from: only what lies below
# a layer is in its reach.
cmake_minimum_required(VERSION 3.25)

set(above_all "app/|tools/|designer/|bench/|tests/")
set(above_windows "preview/|export/|${above_all}")
set(layers
  "platform=script/|report/|${above_windows}"
  "script=report/|${above_windows}"
  "report/model=report/engine/|report/run/|${above_windows}"
  "report/paint=report/engine/|report/run/|${above_windows}"
  "report/engine=report/run/|${above_windows}"
  "report/run=${above_windows}")

set(offences "")
foreach(layer IN LISTS layers)
  string(REPLACE "=" ";" fields "${layer}")
  list(GET fields 0 folder)
  list(GET fields 1 forbidden)
  file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${ROOT}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" header "${line}")
      if(header MATCHES "^(${forbidden})")
        string(APPEND offences "\n  ${source} includes ${header}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(offences)
  message(FATAL_ERROR "An include reaches above its layer:${offences}")
endif()
