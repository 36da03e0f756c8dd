# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
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
    share/kio/servicemenus/quillmark-edit-metadata.desktop
    share/file-manager/actions/quillmark-edit-metadata.desktop
    share/nemo/actions/quillmark-edit-metadata.nemo_action
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

# Every file-manager entry starts the installed program on the whole selection.
foreach(entry kio/servicemenus/quillmark-edit-metadata.desktop
              file-manager/actions/quillmark-edit-metadata.desktop
              nemo/actions/quillmark-edit-metadata.nemo_action)
  file(STRINGS ${root}/share/${entry} lines)
  if(NOT "Exec=quillmark %F" IN_LIST lines)
    message(FATAL_ERROR "${entry} does not run 'quillmark %F'")
  endif()
endforeach()

# Caja's own action runner, where installed, finds the action in the installed
# tree and hands a file (with a space in its name) and a folder to a stand-in
# quillmark that notes its arguments.
find_program(CAJA_ACTIONS_RUN caja-actions-run)
if(CAJA_ACTIONS_RUN)
  set(scratch ${DESTDIR}-caja)
  file(REMOVE_RECURSE ${scratch})
  file(MAKE_DIRECTORY ${scratch}/bin ${scratch}/home "${scratch}/a folder")
  file(TOUCH "${scratch}/a photo.jpg")
  file(WRITE ${scratch}/bin/quillmark "#!/bin/sh\nprintf '%s\\n' \"$@\" > ${scratch}/args\n")
  file(CHMOD ${scratch}/bin/quillmark PERMISSIONS OWNER_READ OWNER_EXECUTE)
  execute_process(
    COMMAND env HOME=${scratch}/home XDG_DATA_DIRS=${root}/share PATH=${scratch}/bin:$ENV{PATH}
            ${CAJA_ACTIONS_RUN} --id=quillmark-edit-metadata
            "--target=${scratch}/a photo.jpg" "--target=${scratch}/a folder"
    RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET TIMEOUT 30)
  # The runner starts the program without waiting for it.
  foreach(attempt RANGE 50)
    if(EXISTS ${scratch}/args)
      break()
    endif()
    execute_process(COMMAND sleep 0.1)
  endforeach()
  file(READ ${scratch}/args got)
  if(NOT got STREQUAL "${scratch}/a photo.jpg\n${scratch}/a folder\n")
    message(FATAL_ERROR "caja-actions-run (${rc}) started quillmark with:\n${got}")
  endif()
  file(REMOVE_RECURSE ${scratch})
else()
  message("caja-actions is not installed: the Caja action was not run")
endif()

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
