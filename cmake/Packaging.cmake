# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# `cpack -G DEB` in the build folder turns the install rules into Debian
# packages: "quillmark", and one per file manager whose extension was built,
# "quillmark-nautilus" and so on, as Debian ships file-manager extensions.
# Runtime dependencies come from dpkg-shlibdeps, so they follow whatever Qt and
# extension library the binaries were actually linked against.
set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillmark developers")
set(CPACK_PACKAGE_CONTACT "Quillmark developers <dev@quillmark.example>")
# Each package's description opens with its own synopsis; CPack would put one summary above all of
# them, so CPACK_PACKAGE_DESCRIPTION_SUMMARY is left to its default, which it does not.
set(CPACK_PACKAGE_DESCRIPTION
    "view and edit descriptive metadata of files and folders\n\
Quillmark shows the headline, description, creator, copyright and keywords\n\
that a file, folder or package carries in its extended attributes, and lets\n\
you change them, write them to every entry below a folder, or save them as a\n\
plain-text report. quillmark-cli does the same from a shell, for servers and\n\
scripts without a display.")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The default build type keeps debug info; users of the package don't need it.
# CPack's own stripping keeps the compiler's notes, which lintian flags.
set(CPACK_QUILLMARK_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/StripPackage.cmake)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillmark developers <dev@quillmark.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quillmark.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_MAIN_PACKAGE_NAME quillmark)
set(CPACK_DEBIAN_MAIN_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
get_property(file_managers GLOBAL PROPERTY QUILLMARK_FILE_MANAGERS)
set(CPACK_COMPONENTS_ALL main ${file_managers})
# The file managers' own names, as their packages and users know them.
set(shown_nautilus "GNOME Files (Nautilus)")
set(shown_nemo Nemo)
set(shown_caja Caja)
set(shown_thunar Thunar)
foreach(name IN LISTS file_managers)
  string(TOUPPER ${name} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME quillmark-${name})
  set(CPACK_DEBIAN_${upper}_PACKAGE_DEPENDS "quillmark (= ${PROJECT_VERSION}), ${name}")
  set(CPACK_DEBIAN_${upper}_PACKAGE_SECTION utils)
  set(shown "${shown_${name}}")
  string(CONFIGURE [[metadata columns, properties and Edit Metadata for @shown@
This extension shows the headline, description, creator, copyright,
keywords and Finder tags that files and folders carry in their extended
attributes inside @shown@, wherever Macs keep them (attributes,
sidecar files on drives a Mac wrote, Samba streams), and opens Quillmark
from its context menu with Edit Metadata. The file manager must be
restarted to load it.]] CPACK_DEBIAN_${upper}_DESCRIPTION @ONLY)
endforeach()

# What Debian asks of every package: the copyright (machine-readable) and a
# changelog whose entry carries this version and release date.
execute_process(COMMAND date -u -R -d "${QUILLMARK_RELEASE_DATE} 00:00"
                OUTPUT_VARIABLE QUILLMARK_RELEASE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
foreach(package IN ITEMS quillmark LISTS file_managers)
  set(component ${package})
  if(package STREQUAL quillmark)
    set(component main)
  else()
    set(package quillmark-${package})
  endif()
  set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${package})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${doc_dir} COMPONENT ${component})
  quillmark_install_gzipped(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${doc_dir} COMPONENT ${component})
endforeach()

include(CPack)
