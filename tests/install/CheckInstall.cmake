# Installs the build into a scratch prefix and checks what arrives there: the file
# list against expected-files.txt, the desktop entry with desktop-file-validate, the
# man pages with groff's warnings, the MIME package with update-mime-database, and
# that the desktop entry names a program and an icon that were installed.
# cmake -DBUILD_DIR=... -DPREFIX=... -DEXPECTED=... -DWITH_CLI=0|1 -P CheckInstall.cmake
cmake_minimum_required(VERSION 3.25)

set(failures "")
macro(fail text)
    string(APPEND failures "  ${text}\n")
endmacro()

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${rc}):\n${err}")
endif()

# The list, as installed; the command-line tool only where it is built.
file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE ${PREFIX} ${PREFIX}/*)
file(STRINGS ${EXPECTED} expected REGEX "^[^#]")
if(NOT WITH_CLI)
    list(FILTER expected EXCLUDE REGEX "dravik-cli")
endif()
foreach(file IN LISTS expected)
    if(NOT file IN_LIST installed)
        fail("missing: ${file}")
    endif()
endforeach()
foreach(file IN LISTS installed)
    if(NOT file IN_LIST expected)
        fail("not in the expected list: ${file}")
    endif()
endforeach()
foreach(program IN ITEMS Dravik ncsim)
    execute_process(COMMAND test -x ${PREFIX}/bin/${program} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        fail("not executable: bin/${program}")
    endif()
endforeach()

file(GLOB desktop_files ${PREFIX}/share/applications/*.desktop)
foreach(desktop IN LISTS desktop_files)
    execute_process(COMMAND desktop-file-validate ${desktop} RESULT_VARIABLE rc
                    OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
        fail("desktop-file-validate ${desktop}:\n${out}")
    endif()
    file(STRINGS ${desktop} exec REGEX "^Exec=")
    file(STRINGS ${desktop} icon REGEX "^Icon=")
    string(REGEX REPLACE "^Exec=([^ ]+).*" "\\1" exec "${exec}")
    string(REGEX REPLACE "^Icon=" "" icon "${icon}")
    if(NOT EXISTS ${PREFIX}/bin/${exec})
        fail("the desktop entry starts '${exec}', which is not installed")
    endif()
    if(NOT EXISTS ${PREFIX}/share/icons/hicolor/scalable/apps/${icon}.svg)
        fail("the desktop entry's icon '${icon}' is not installed")
    endif()
endforeach()

file(GLOB pages ${PREFIX}/share/man/man1/*.1)
foreach(page IN LISTS pages)
    execute_process(COMMAND groff -man -Tutf8 -ww -z ${page} RESULT_VARIABLE rc
                    ERROR_VARIABLE out)
    if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
        fail("groff ${page}:\n${out}")
    endif()
    file(READ ${page} text)
    if(text MATCHES "@[A-Z_]+@")
        fail("unreplaced variable in ${page}")
    endif()
endforeach()

# The database is built in a copy, so the list above stays what the install wrote.
set(data ${PREFIX}-data)
file(REMOVE_RECURSE ${data})
file(COPY ${PREFIX}/share/mime/packages DESTINATION ${data}/mime)
execute_process(COMMAND ${CMAKE_COMMAND} -E env XDG_DATA_DIRS=${data}
                        update-mime-database ${data}/mime
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "" OR NOT EXISTS ${data}/mime/text/x-nc-program.xml)
    fail("update-mime-database:\n${out}")
endif()
file(REMOVE_RECURSE ${data})

if(NOT failures STREQUAL "")
    message(FATAL_ERROR "The installed files are not as expected:\n${failures}")
endif()
file(REMOVE_RECURSE ${PREFIX})
