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
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillmark developers <dev@quillmark.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quillmark.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
