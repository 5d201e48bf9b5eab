# SPDX-License-Identifier: GPL-3.0-or-later
# Compiler settings applied to the project's own targets only (never to Qt's or FFTW's headers).
add_library(veltrane_warnings INTERFACE)
target_compile_options(veltrane_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow)
if(VELTRANE_WERROR)
  target_compile_options(veltrane_warnings INTERFACE -Werror)
endif()
target_compile_definitions(veltrane_warnings INTERFACE QT_NO_CAST_FROM_ASCII QT_USE_QSTRINGBUILDER)

if(VELTRANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(VELTRANE_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# veltrane_subsystem(NAME FOLDER [LIBS ...] [EXCLUDE file ...])
# One static library for a folder of src/: every .cpp/.h/.ui directly in it. The folder and the
# folders of the veltrane_* libraries in LIBS (and of theirs) are the ones its files may include
# from; the build checks every include against that list.
function(veltrane_subsystem name folder)
  cmake_parse_arguments(ARG "" "" "LIBS;EXCLUDE" ${ARGN})
  set(dir ${PROJECT_SOURCE_DIR}/src/${folder})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.ui)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${dir}/${excluded})
  endforeach()
  set(folders ${folder})
  foreach(lib ${ARG_LIBS})
    if(lib MATCHES "^veltrane_")
      get_target_property(lib_folders ${lib} VELTRANE_FOLDERS)
      list(APPEND folders ${lib_folders})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES folders)

  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE veltrane_warnings)
  set_target_properties(${name} PROPERTIES VELTRANE_FOLDERS "${folders}")

  list(JOIN folders "|" allowed)
  list(JOIN sources "|" checked)
  set(stamp ${CMAKE_BINARY_DIR}/layers/${name}.checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} "-DLIBRARY=${name}" "-DALLOWED=${allowed}" "-DSOURCES=${checked}"
            "-DSTAMP=${stamp}" -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMENT "Checking the includes of ${name} against its layers" VERBATIM)
  add_custom_target(${name}_layers DEPENDS ${stamp})
  add_dependencies(${name} ${name}_layers)
endfunction()
