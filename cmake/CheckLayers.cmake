# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source file of LIBRARY includes one of our headers from a folder outside ALLOWED.
#   cmake -DLIBRARY=name -DALLOWED="cat|config" -DSOURCES="a.cpp|b.h" -DSTAMP=file -P CheckLayers.cmake
# Our headers are included as "folder/Name.h" relative to src/; the folder is the part before
# the last slash ("cat/link/CatLink.h" is in cat/link). System and Qt headers (<...>) are not ours.
string(REPLACE "|" ";" allowed "${ALLOWED}")
string(REPLACE "|" ";" sources "${SOURCES}")
set(broken "")
foreach(source ${sources})
  file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${includes})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
    get_filename_component(folder "${header}" DIRECTORY)
    if(folder STREQUAL "" OR header MATCHES "^ui_")
      continue()  # a file beside it, or a generated form header
    endif()
    list(FIND allowed "${folder}" found)
    if(found EQUAL -1)
      string(APPEND broken "\n  ${source}: #include \"${header}\" (${LIBRARY} may include from: ${ALLOWED})")
    endif()
  endforeach()
endforeach()
if(broken)
  message(FATAL_ERROR "Includes across the layers:${broken}")
endif()
file(WRITE ${STAMP} "ok\n")
