# SPDX-License-Identifier: GPL-3.0-or-later
# Run by CPack between the install into its staging tree and the making of
# the package. Debian keeps the programs of the section games in /usr/games,
# so the Debian package moves them there from the usual bin folder; the
# desktop entry finds the program on the PATH either way.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(prefix "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
file(GLOB programs "${prefix}/bin/*")
if(NOT programs)
  message(FATAL_ERROR "no program staged in ${prefix}/bin")
endif()
file(MAKE_DIRECTORY "${prefix}/games")
foreach(program ${programs})
  get_filename_component(name "${program}" NAME)
  file(RENAME "${program}" "${prefix}/games/${name}")
endforeach()
file(REMOVE_RECURSE "${prefix}/bin")
