# SPDX-License-Identifier: GPL-3.0-or-later
# The documents beside the programs: the man pages and the changelog, gzipped (-9n, so the same
# sources give the same bytes) at build time; the copyright file in the machine-readable Debian
# format; the AppStream metadata that software centres read.
find_program(VELTRANE_GZIP gzip REQUIRED)

# The release's version is written in the changelog, the AppStream release list and the man
# pages' headers; a version bump that misses one of them stops the configuration here.
function(veltrane_expect_version file pattern)
  file(READ ${PROJECT_SOURCE_DIR}/${file} text)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${file})
  if(NOT text MATCHES "${pattern}" OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "${file} names version '${CMAKE_MATCH_1}', the project is ${PROJECT_VERSION}")
  endif()
endfunction()
veltrane_expect_version(data/changelog "^veltrane \\(([^)]+)\\)")
veltrane_expect_version(data/org.example.veltrane.metainfo.xml "<release version=\"([^\"]+)\"")
veltrane_expect_version(docs/veltrane.1 "\n\\.TH [^\n]*\"Veltrane ([^\"]+)\"")
veltrane_expect_version(docs/veltrane-rigsim.1 "\n\\.TH [^\n]*\"Veltrane ([^\"]+)\"")

# veltrane_gzip(SOURCE NAME DESTINATION): SOURCE gzipped to NAME.gz, installed in DESTINATION.
set(VELTRANE_GZIPPED_FILES)
function(veltrane_gzip source name destination)
  set(copy ${CMAKE_BINARY_DIR}/documents/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${copy}
    COMMAND ${VELTRANE_GZIP} -9nf ${copy}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source}
    COMMENT "Compressing ${name}" VERBATIM)
  set(VELTRANE_GZIPPED_FILES ${VELTRANE_GZIPPED_FILES} ${copy}.gz PARENT_SCOPE)
  install(FILES ${copy}.gz DESTINATION ${destination})
endfunction()

set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/veltrane)
veltrane_gzip(docs/veltrane.1 veltrane.1 ${CMAKE_INSTALL_MANDIR}/man1)
veltrane_gzip(docs/veltrane-rigsim.1 veltrane-rigsim.1 ${CMAKE_INSTALL_MANDIR}/man1)
veltrane_gzip(data/changelog changelog ${doc_dir})
add_custom_target(veltrane_documents ALL DEPENDS ${VELTRANE_GZIPPED_FILES})

install(FILES ${PROJECT_SOURCE_DIR}/data/copyright DESTINATION ${doc_dir})
install(FILES ${PROJECT_SOURCE_DIR}/data/org.example.veltrane.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
