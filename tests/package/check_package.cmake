# SPDX-FileCopyrightText: 2026 The Quillmark developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Packs the build tree into .debs in SCRATCH, unpacks Quillmark's there, and
# checks that it holds what a user of the package needs, that each extension's
# package holds its module and needs this Quillmark, that every place showing the
# version shows VERSION, and that lintian finds no error or warning in it.
# Exits 77 (skipped) when a Debian tool it needs is missing.
#
#   cmake -DBUILD_DIR=... -DSCRATCH=... -DVERSION=... -DAPP_ID=... [-DFILE_MANAGERS=name=dir;...]
#         -P check_package.cmake
cmake_minimum_required(VERSION 3.25)

foreach(tool dpkg-deb lintian update-desktop-database xdg-mime gio)
  find_program(found_${tool} ${tool})
  if(NOT found_${tool})
    message("skipped: ${tool} is not installed (scripts/install-deps)")
    cmake_language(EXIT 77)
  endif()
endforeach()

file(REMOVE_RECURSE ${SCRATCH})
get_filename_component(cmake_bin ${CMAKE_COMMAND} DIRECTORY)
execute_process(COMMAND ${cmake_bin}/cpack -G DEB -B ${SCRATCH}
                        --config ${BUILD_DIR}/CPackConfig.cmake
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(GLOB deb ${SCRATCH}/quillmark_*.deb)
file(GLOB all_debs ${SCRATCH}/*.deb)
if(NOT rc EQUAL 0 OR NOT deb)
  message(FATAL_ERROR "cpack failed (${rc}):\n${out}")
endif()
set(root ${SCRATCH}/root)
execute_process(COMMAND dpkg-deb -x ${deb} ${root} COMMAND_ERROR_IS_FATAL ANY)

# Each file manager's extension in a package of its own, its module where that file manager
# looks, needing this very Quillmark and the extension library it was linked against.
foreach(name IN LISTS FILE_MANAGERS)
  string(REPLACE "=" ";" name_and_dir ${name})
  list(GET name_and_dir 0 name)
  list(GET name_and_dir 1 dir)
  file(GLOB extension_deb ${SCRATCH}/quillmark-${name}_*.deb)
  if(NOT extension_deb)
    message(SEND_ERROR "no package quillmark-${name}")
    continue()
  endif()
  execute_process(COMMAND dpkg-deb -c ${extension_deb} OUTPUT_VARIABLE listing)
  execute_process(COMMAND dpkg-deb -f ${extension_deb} Depends OUTPUT_VARIABLE depends)
  if(NOT listing MATCHES "-rw-r--r-- [^\n]* \\.${dir}/libquillmark-${name}\\.so\n")
    message(SEND_ERROR "quillmark-${name} has no module in ${dir}:\n${listing}")
  endif()
  if(NOT depends MATCHES "quillmark \\(= ${VERSION}\\)" OR NOT depends MATCHES "lib${name}|libthunarx")
    message(SEND_ERROR "quillmark-${name} depends on: ${depends}")
  endif()
endforeach()

# What the package is for; lintian already insists on the man pages, the
# copyright and the changelog, and on their form.
set(missing "")
foreach(f bin/quillmark bin/quillmark-cli share/applications/${APP_ID}.desktop
          share/metainfo/${APP_ID}.metainfo.xml)
  if(NOT EXISTS ${root}/usr/${f})
    list(APPEND missing ${f})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "the package lacks: ${missing}")
endif()

# One version everywhere; the stripped program must still run to tell it.
execute_process(COMMAND dpkg-deb -f ${deb} Version OUTPUT_VARIABLE package
                OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${root}/usr/bin/quillmark-cli --version OUTPUT_VARIABLE cli
                OUTPUT_STRIP_TRAILING_WHITESPACE)
file(READ ${root}/usr/share/metainfo/${APP_ID}.metainfo.xml text)
string(REGEX MATCH "<release version=\"([^\"]*)\"" _ "${text}")
set(metainfo "${CMAKE_MATCH_1}")
set(shown package cli metainfo)
foreach(page quillmark quillmark-cli changelog)
  set(gz ${root}/usr/share/man/man1/${page}.1.gz)
  set(pattern "\"Quillmark ([^\"]*)\"")  # the title line's source
  if(page STREQUAL changelog)
    set(gz ${root}/usr/share/doc/quillmark/changelog.gz)
    set(pattern "^quillmark \\(([^)]*)\\)")
  endif()
  execute_process(COMMAND gzip -dc ${gz} OUTPUT_VARIABLE text)
  if(NOT page STREQUAL changelog AND NOT text MATCHES "GPL-3\\.0-or-later")
    message(SEND_ERROR "the manual page ${page} does not state the licence")
  endif()
  string(REGEX MATCH "${pattern}" _ "${text}")
  set(${page} "${CMAKE_MATCH_1}")
  list(APPEND shown ${page})
endforeach()
foreach(where IN LISTS shown)
  if(NOT "${${where}}" STREQUAL VERSION)
    message(SEND_ERROR "${where} shows version '${${where}}', not ${VERSION}")
  endif()
endforeach()
# The licence, stated wherever a user of the package meets it (the About box's
# text is in the program).
foreach(f share/doc/quillmark/copyright share/metainfo/${APP_ID}.metainfo.xml bin/quillmark)
  file(STRINGS ${root}/usr/${f} stated REGEX "GPL-3\\.0-or-later")
  if(NOT stated)
    message(SEND_ERROR "${f} does not state the licence GPL-3.0-or-later")
  endif()
endforeach()

# Quillmark is never what opens a folder or a file of unknown type: xdg-open
# asks xdg-mime (on GNOME, GIO), and both fall back to any application that
# claims the type when no default is set. Asked as on a desktop without a file
# manager, then with one installed beside the package; the installed program
# is on PATH, as both skip an application whose program is missing.
set(apps ${root}/usr/share/applications)
set(env env -i PATH=${root}/usr/bin:/usr/bin:/bin HOME=${SCRATCH}/home
        XDG_CONFIG_HOME=${SCRATCH}/config XDG_CONFIG_DIRS=${SCRATCH}/config
        XDG_DATA_HOME=${SCRATCH}/data XDG_DATA_DIRS=${root}/usr/share XDG_CURRENT_DESKTOP=X-Generic)
foreach(file_manager "" org.gnome.Nautilus.desktop)
  if(file_manager)
    file(WRITE ${apps}/${file_manager}
         "[Desktop Entry]\nType=Application\nName=Files\nExec=true %U\nMimeType=inode/directory;\n")
  endif()
  # What the package's trigger runs on installation.
  execute_process(COMMAND update-desktop-database ${apps} COMMAND_ERROR_IS_FATAL ANY)
  foreach(type inode/directory application/octet-stream)
    execute_process(COMMAND ${env} xdg-mime query default ${type}
                    OUTPUT_VARIABLE xdg OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${env} gio mime ${type} OUTPUT_VARIABLE gio ERROR_VARIABLE gio)
    if("${xdg}${gio}" MATCHES "${APP_ID}")
      message(SEND_ERROR "${APP_ID} opens ${type} (file manager: '${file_manager}'):\n"
                         "xdg-mime: ${xdg}\ngio mime: ${gio}")
    endif()
    # The file manager's claim must be seen, or the question proved nothing.
    if(file_manager AND type STREQUAL inode/directory AND
       NOT (xdg STREQUAL file_manager AND gio MATCHES "application for [^\n]*: ${file_manager}"))
      message(SEND_ERROR "folders do not open in ${file_manager}:\nxdg-mime: ${xdg}\ngio mime: ${gio}")
    endif()
  endforeach()
endforeach()
# Open With dialogs list every application a desktop shows in its menus.
file(STRINGS ${apps}/${APP_ID}.desktop hidden REGEX "^(NoDisplay=true|Hidden=true|OnlyShowIn=)")
if(hidden)
  message(SEND_ERROR "the launcher is left out of Open With dialogs: ${hidden}")
endif()

execute_process(COMMAND lintian --display-info ${all_debs}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}")
if(out MATCHES "(^|\n)[EW]: " OR NOT rc EQUAL 0)
  message(FATAL_ERROR "lintian (${rc}) found errors or warnings:\n${out}${err}")
endif()
