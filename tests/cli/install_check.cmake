# Installs the build into a scratch prefix and checks what lands there:
# the exact file list, the installed ostrolen-cli, the desktop entry, and the
# launcher's first start in a new operator folder.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DWINDOW=ON|OFF -DBINDIR=bin -DLIBEXECDIR=libexec -DDATADIR=share -P install_check.cmake
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${errors}")
endif()

set(expected
  ${BINDIR}/ostrolen-cli
  ${LIBEXECDIR}/ostrolen/ostrolen-mdb-reader
  ${DATADIR}/ostrolen/dbveltra.mdb)
if(WINDOW)
  list(APPEND expected
    ${BINDIR}/ostrolen
    ${LIBEXECDIR}/ostrolen/ostrolen-desktop
    ${DATADIR}/applications/ostrolen.desktop
    ${DATADIR}/icons/hicolor/scalable/apps/ostrolen.svg)
endif()
list(SORT expected)
file(GLOB_RECURSE installed RELATIVE ${prefix} LIST_DIRECTORIES false ${prefix}/*)
list(SORT installed)
if(NOT installed STREQUAL expected)
  string(REPLACE ";" "\n  " installed_lines "${installed}")
  string(REPLACE ";" "\n  " expected_lines "${expected}")
  message(FATAL_ERROR "installed:\n  ${installed_lines}\nexpected:\n  ${expected_lines}")
endif()
message(STATUS "installed:\n  ${installed}")

execute_process(COMMAND ${prefix}/${BINDIR}/ostrolen-cli decode uvp 0075 003F
                RESULT_VARIABLE result OUTPUT_VARIABLE out)
if(NOT result EQUAL 0 OR NOT out STREQUAL "БВ 01-60 УВП 0-3\n")
  message(FATAL_ERROR "the installed ostrolen-cli gave ${result}: ${out}")
endif()

if(NOT WINDOW)
  return()
endif()
file(READ ${prefix}/${DATADIR}/applications/ostrolen.desktop entry)
set(launcher ${prefix}/${LIBEXECDIR}/ostrolen/ostrolen-desktop)
if(NOT entry MATCHES "\nExec=${launcher}\n" OR NOT entry MATCHES "\nIcon=ostrolen\n")
  message(FATAL_ERROR "the desktop entry does not start the launcher ${launcher}:\n${entry}")
endif()
# First start: the folder is made and gets the sample; the window then runs until stopped.
set(data ${WORK_DIR}/home/Ostrolen)
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen OSTROLEN_DATA_DIR=${data}
                        timeout 4 ${launcher}
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
if(NOT result EQUAL 124)
  message(FATAL_ERROR "the window did not start from the launcher (status ${result})")
endif()
file(SHA256 ${data}/dbveltra.mdb copied)
file(SHA256 ${prefix}/${DATADIR}/ostrolen/dbveltra.mdb sample)
if(NOT copied STREQUAL sample)
  message(FATAL_ERROR "the launcher did not give the new folder the sample database")
endif()
# A database already there is the operator's own and is never replaced.
file(WRITE ${data}/dbveltra.mdb "the operator's own file")
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen OSTROLEN_DATA_DIR=${data}
                        timeout 4 ${launcher}
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
file(READ ${data}/dbveltra.mdb kept)
if(NOT kept STREQUAL "the operator's own file")
  message(FATAL_ERROR "the launcher replaced the operator's dbveltra.mdb")
endif()
