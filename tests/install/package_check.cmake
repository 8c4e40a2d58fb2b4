# Makes the Debian package of the build into a scratch folder and checks it: the
# libraries it depends on, its files, and the unpacked program finding its own
# files.
#   cmake -DBUILD_DIR=... -DDEST=... -P package_check.cmake
file(REMOVE_RECURSE ${DEST})
execute_process(COMMAND cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${DEST}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(GLOB debs ${DEST}/*.deb)
list(LENGTH debs count)
if(NOT status EQUAL 0 OR NOT count EQUAL 1)
  message(FATAL_ERROR "cpack failed (${status}):\n${out}${err}")
endif()

execute_process(COMMAND dpkg-deb -f ${debs} Depends OUTPUT_VARIABLE depends RESULT_VARIABLE status)
message(STATUS "Depends: ${depends}")
foreach(library libqt6widgets6 libqt6gui6 libqt6core6 libpng16-16 libjpeg62-turbo libstdc\\+\\+6)
  if(NOT depends MATCHES "(^|, )${library} \\(>= ")
    message(FATAL_ERROR "the package does not depend on ${library}: ${depends}")
  endif()
endforeach()

execute_process(COMMAND dpkg-deb -x ${debs} ${DEST}/root RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-deb -x failed")
endif()
foreach(f bin/pellimar bin/pellimar-cli bin/pellimar-thumbnailer share/pellimar/tips.dat
          share/applications/org.example.Pellimar.desktop)
  if(NOT EXISTS ${DEST}/root/usr/${f})
    message(FATAL_ERROR "not in the package: /usr/${f}")
  endif()
endforeach()
execute_process(COMMAND ${DEST}/root/usr/bin/pellimar --paths WORKING_DIRECTORY ${DEST}
                RESULT_VARIABLE status OUTPUT_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the packaged program misses its own files:\n${out}")
endif()
