# Makes the Debian package of the Python module, python3-pellimar, into a scratch
# folder and checks it: architecture-independent, depending on python3 and the C
# library, its module where Debian's python3 looks (and it does look there), the
# unpacked module working over the build's library, and lintian's verdict.
#   cmake -DBUILD_DIR=... -DDEST=... -DLINTIAN=... -DPYTHON=... -DLIBRARY_DIR=...
#         -P package_check.cmake
file(REMOVE_RECURSE ${DEST})
execute_process(COMMAND cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${DEST}
                        -D CPACK_DEB_COMPONENT_INSTALL=ON -D CPACK_COMPONENTS_ALL=python3-pellimar
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(GLOB debs ${DEST}/python3-pellimar_*_all.deb)
list(LENGTH debs count)
if(NOT status EQUAL 0 OR NOT count EQUAL 1)
  message(FATAL_ERROR "cpack failed (${status}):\n${out}${err}")
endif()

foreach(field Architecture Depends Section)
  execute_process(COMMAND dpkg-deb -f ${debs} ${field} OUTPUT_VARIABLE ${field}
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
endforeach()
if(NOT Architecture STREQUAL "all" OR NOT Section STREQUAL "python"
   OR NOT Depends MATCHES "(^|, )python3(,|$)" OR NOT Depends MATCHES "libpellimar1 \\(>= ")
  message(FATAL_ERROR "python3-pellimar: Architecture ${Architecture}, Section ${Section}, "
                      "Depends ${Depends}")
endif()

execute_process(COMMAND dpkg-deb -x ${debs} ${DEST}/root RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-deb -x failed")
endif()
set(modules ${DEST}/root/usr/lib/python3/dist-packages)
foreach(f pellimar/__init__.py pellimar/_native.py pellimar/icoextract.py)
  if(NOT EXISTS ${modules}/${f})
    message(FATAL_ERROR "not in the package: /usr/lib/python3/dist-packages/${f}")
  endif()
endforeach()
file(GLOB_RECURSE compiled ${DEST}/root/*.pyc)
if(compiled)
  message(FATAL_ERROR "the package holds byte-compiled files: ${compiled}")
endif()

# Debian's python3 looks in /usr/lib/python3/dist-packages, and the module found
# there loads the library through the loader's path alone.
execute_process(COMMAND ${PYTHON} -c "import sys; print('/usr/lib/python3/dist-packages' in sys.path)"
                OUTPUT_VARIABLE looks OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT looks STREQUAL "True")
  message(FATAL_ERROR "${PYTHON} does not look in /usr/lib/python3/dist-packages")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env PYTHONPATH=${modules} LD_LIBRARY_PATH=${LIBRARY_DIR}
                        ${PYTHON} -I -c "import sys; sys.path.insert(0, '${modules}'); import pellimar, pellimar.icoextract; print(pellimar.__file__, pellimar.version())"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out MATCHES "^${modules}/pellimar/__init__.py 1\\.")
  message(FATAL_ERROR "the packaged module does not load (${status}): ${out}${err}")
endif()

execute_process(COMMAND ${LINTIAN} --fail-on error,warning ${debs}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "lintian:\n${out}")
if(NOT status EQUAL 0 OR out MATCHES "(^|\n)[EW]: ")
  message(FATAL_ERROR "lintian finds fault with python3-pellimar (status ${status}):\n${out}${err}")
endif()
