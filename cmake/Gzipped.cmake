# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# quillmark_install_gzipped(TEMPLATE DESTINATION [COMPONENT NAME]): fills @VAR@ references in
# TEMPLATE (the version and release date, so they are set once, in the top
# CMakeLists.txt), compresses the result as Debian wants manual pages and
# changelogs (gzip -9n: best compression, no name or time stamp, so the same
# source gives the same bytes) and installs it into DESTINATION.
include(GNUInstallDirs)

function(quillmark_install_gzipped template destination)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "COMPONENT" "")
  get_filename_component(name ${template} NAME)
  string(REGEX REPLACE "\\.in$" "" name ${name})
  set(plain ${CMAKE_CURRENT_BINARY_DIR}/${name})
  configure_file(${template} ${plain} @ONLY)
  add_custom_command(OUTPUT ${plain}.gz
                     COMMAND gzip -9 -n -k -f ${plain}
                     DEPENDS ${plain} VERBATIM)
  string(MAKE_C_IDENTIFIER "gzip_${name}" target)
  if(NOT TARGET ${target})  # one file, installed into several packages
    add_custom_target(${target} ALL DEPENDS ${plain}.gz)
  endif()
  if(arg_COMPONENT)
    install(FILES ${plain}.gz DESTINATION ${destination} COMPONENT ${arg_COMPONENT})
  else()
    install(FILES ${plain}.gz DESTINATION ${destination})
  endif()
endfunction()
