# Builds the .deb with CPack and checks its control fields and contents.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -P package_check.cmake
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}
                WORKING_DIRECTORY ${BUILD_DIR} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${out}")
endif()
file(GLOB debs ${WORK_DIR}/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one .deb in ${WORK_DIR}, found: ${debs}")
endif()
execute_process(COMMAND dpkg-deb -f ${debs} Package Depends OUTPUT_VARIABLE fields RESULT_VARIABLE result)
message(STATUS "${fields}")
foreach(needed "Package: ostrolen" "libqt6widgets6" "libmdb3" "libc6")
  if(NOT fields MATCHES "${needed}")
    message(FATAL_ERROR "the package does not declare ${needed}:\n${fields}")
  endif()
endforeach()
execute_process(COMMAND dpkg-deb -c ${debs} OUTPUT_VARIABLE contents)
foreach(file bin/ostrolen bin/ostrolen-cli libexec/ostrolen/ostrolen-mdb-reader libexec/ostrolen/ostrolen-desktop
             share/applications/ostrolen.desktop share/icons/hicolor/scalable/apps/ostrolen.svg
             share/ostrolen/dbveltra.mdb)
  if(NOT contents MATCHES "/${file}\n")
    message(FATAL_ERROR "the package lacks ${file}:\n${contents}")
  endif()
endforeach()
