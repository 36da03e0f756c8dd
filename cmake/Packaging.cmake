# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# `cpack -G DEB` in the build folder turns the install rules into a Debian
# package. Runtime dependencies come from dpkg-shlibdeps, so they follow
# whatever Qt the binary was actually linked against.
set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillmark developers")
set(CPACK_PACKAGE_CONTACT "Quillmark developers <dev@quillmark.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "view and edit descriptive metadata of files and folders")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillmark shows the headline, description, creator, copyright and keywords\n\
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

# What Debian asks of every package: the copyright (machine-readable) and a
# changelog whose entry carries this version and release date.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/quillmark)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${doc_dir})
execute_process(COMMAND date -u -R -d "${QUILLMARK_RELEASE_DATE} 00:00"
                OUTPUT_VARIABLE QUILLMARK_RELEASE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
quillmark_install_gzipped(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${doc_dir})

include(CPack)
