# Run by CPack on each package's staged tree before it is packed: arranges the installed tree
# the way each kind of archive is looked at.
# - The tar.gz is a release archive: its front page, lirv.nfo, and the LICENSE lie at the top.
# - The Debian package keeps the programs in /usr/games, where Debian puts games and what
#   comes with them (the package's section is games), and says which of lintian's checks do
#   not apply to it, and why (lintian-overrides).
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(top "${CPACK_TEMPORARY_DIRECTORY}")
  if(NOT EXISTS "${top}/share/doc/lirv/lirv.nfo")
    message(FATAL_ERROR "package_layout: ${top} holds no share/doc/lirv/lirv.nfo")
  endif()
  file(COPY "${top}/share/doc/lirv/lirv.nfo" "${CPACK_LIRV_SOURCE_DIR}/LICENSE"
       DESTINATION "${top}")
elseif(CPACK_GENERATOR STREQUAL "DEB")
  set(usr "${CPACK_TEMPORARY_DIRECTORY}/usr")
  file(GLOB programs "${usr}/bin/*")
  if(NOT programs)
    message(FATAL_ERROR "package_layout: no programs in ${usr}/bin")
  endif()
  file(MAKE_DIRECTORY "${usr}/games")
  foreach(program ${programs})
    get_filename_component(name "${program}" NAME)
    file(RENAME "${program}" "${usr}/games/${name}")
  endforeach()
  file(REMOVE_RECURSE "${usr}/bin")
  file(MAKE_DIRECTORY "${usr}/share/lintian/overrides")
  file(COPY_FILE "${CPACK_LIRV_RELEASE_DIR}/lintian-overrides"
       "${usr}/share/lintian/overrides/lirv")
endif()
