# Installs the build tree into a scratch DESTDIR with the prefix the package
# uses and checks that the desktop files land where desktops look for them,
# named after the application id and pointing at each other. If appstreamcli
# is there, it also checks the installed tree as a whole, which catches a
# metainfo launchable that names no installed .desktop file.
#
#   cmake -DBUILD_DIR=... -DDESTDIR=... -DAPP_ID=... -DWITH_BINARY=0|1 -DWITH_CLI=0|1 -P check_install.cmake
cmake_minimum_required(VERSION 3.25)

foreach(var BUILD_DIR DESTDIR APP_ID WITH_BINARY WITH_CLI)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${DESTDIR})
set(ENV{DESTDIR} ${DESTDIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc}):\n${out}")
endif()

set(root ${DESTDIR}/usr)
set(expected
    share/applications/${APP_ID}.desktop
    share/icons/hicolor/scalable/apps/${APP_ID}.svg
    share/metainfo/${APP_ID}.metainfo.xml)
if(WITH_BINARY)
  list(APPEND expected bin/quillmark share/man/man1/quillmark.1.gz)
endif()
if(WITH_CLI)
  list(APPEND expected bin/quillmark-cli share/man/man1/quillmark-cli.1.gz)
endif()
set(missing "")
foreach(f IN LISTS expected)
  if(NOT EXISTS ${root}/${f})
    list(APPEND missing ${f})
  endif()
endforeach()
if(missing)
  file(GLOB_RECURSE got RELATIVE ${DESTDIR} ${DESTDIR}/*)
  if(NOT got)
    set(got "(nothing)")
  endif()
  list(JOIN missing "\n  " missing)
  list(JOIN got "\n  " got)
  message(FATAL_ERROR "not installed:\n  ${missing}\ninstalled:\n  ${got}")
endif()

if(WITH_BINARY)
  execute_process(COMMAND test -x ${root}/bin/quillmark RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "bin/quillmark is installed but not executable")
  endif()
endif()

# The manual pages must render without a complaint from man.
file(GLOB pages ${root}/share/man/man1/*)
foreach(page IN LISTS pages)
  execute_process(COMMAND man --warnings -E UTF-8 -l ${page}
                  OUTPUT_QUIET ERROR_VARIABLE warnings RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR warnings)
    message(FATAL_ERROR "man ${page}: ${rc} ${warnings}")
  endif()
endforeach()

# The launcher must start the installed program and show the installed icon.
file(STRINGS ${root}/share/applications/${APP_ID}.desktop entry)
foreach(want "Exec=quillmark %F" "Icon=${APP_ID}")
  if(NOT want IN_LIST entry)
    message(FATAL_ERROR "the installed .desktop file lacks the line '${want}'")
  endif()
endforeach()

find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  execute_process(COMMAND ${APPSTREAMCLI} validate-tree --no-net ${DESTDIR}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  message("${out}")
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate-tree failed (${rc})")
  endif()
else()
  message("appstreamcli is not installed: the installed tree was not cross-checked")
endif()
