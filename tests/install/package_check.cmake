# Makes the Debian package of the build into a scratch folder and checks it: the
# libraries it depends on, its files, the unpacked program finding its own files,
# its programs built hardened, lintian's verdict, and the desktop's defaults and
# mailcap entries unchanged by it (defaults_check.cmake).
#   cmake -DBUILD_DIR=... -DBUILD_TYPE=... -DDEST=... -DLINTIAN=... -DREADELF=...
#         -DSTAND_INS=... -DWRITE_SAMPLES=... -DGIO=... -DXDG_MIME=... -DUPDATE_DESKTOP=...
#         -DUPDATE_MIME_DB=... -DUPDATE_MAILCAP=... -P package_check.cmake
if(BUILD_TYPE STREQUAL "Debug" OR BUILD_TYPE STREQUAL "")
  message("not checked: the package is checked in an optimised build (Release, "
          "RelWithDebInfo); this one is '${BUILD_TYPE}'")
  return()
endif()
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
set(programs bin/pellimar bin/pellimar-cli bin/pellimar-thumbnailer)
foreach(f ${programs} share/pellimar/tips.dat share/applications/org.example.Pellimar.desktop
          share/doc/pellimar/copyright share/doc/pellimar/changelog.gz
          share/man/man1/pellimar.1.gz share/bash-completion/completions/pellimar-cli)
  if(NOT EXISTS ${DEST}/root/usr/${f})
    message(FATAL_ERROR "not in the package: /usr/${f}")
  endif()
endforeach()
execute_process(COMMAND ${DEST}/root/usr/bin/pellimar --paths WORKING_DIRECTORY ${DEST}
                RESULT_VARIABLE status OUTPUT_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the packaged program misses its own files:\n${out}")
endif()

# What the desktop opens each type with is the same with the package as without.
set(forwarded)
foreach(setting STAND_INS WRITE_SAMPLES GIO XDG_MIME UPDATE_DESKTOP UPDATE_MIME_DB UPDATE_MAILCAP)
  list(APPEND forwarded -D${setting}=${${setting}})
endforeach()
get_filename_component(here ${CMAKE_CURRENT_LIST_FILE} DIRECTORY)
execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${DEST}/root -DWORK=${DEST}/defaults ${forwarded}
                        -P ${here}/defaults_check.cmake
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "${out}${err}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the package changes the desktop's defaults")
endif()

# Each packaged program: position-independent, its relocations read-only and bound
# at start, a stack protector, checked memory and string functions, and no library
# search path of its own. The programs of the build folder may carry one, but
# never an empty entry, which the loader takes for the current folder.
function(read_elf program what result)
  execute_process(COMMAND ${READELF} -W ${what} ${program} RESULT_VARIABLE status
                  OUTPUT_VARIABLE text ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${READELF} ${what} ${program}: ${err}")
  endif()
  set(${result} "${text}" PARENT_SCOPE)
endfunction()
foreach(program ${programs})
  set(path ${DEST}/root/usr/${program})
  read_elf(${path} --file-header header)
  read_elf(${path} --segments segments)
  read_elf(${path} --dynamic dynamic)
  read_elf(${path} --dyn-syms symbols)
  set(missing)
  if(NOT header MATCHES "Type: +DYN")
    list(APPEND missing "position-independent executable")
  endif()
  if(NOT segments MATCHES "GNU_RELRO")
    list(APPEND missing "read-only relocations (relro)")
  endif()
  if(NOT dynamic MATCHES "\\(BIND_NOW\\)|\\(FLAGS_1\\)[^\n]* NOW")
    list(APPEND missing "binding at start (now)")
  endif()
  if(NOT symbols MATCHES "__stack_chk_fail")
    list(APPEND missing "stack protector")
  endif()
  if(NOT symbols MATCHES "__[a-z]+_chk@")
    list(APPEND missing "checked functions (_FORTIFY_SOURCE)")
  endif()
  if(dynamic MATCHES "\\((RUNPATH|RPATH)\\)")
    list(APPEND missing "no library search path")
  endif()
  if(missing)
    message(FATAL_ERROR "${program} is not built hardened; it lacks: ${missing}")
  endif()
  get_filename_component(name ${program} NAME)
  read_elf(${BUILD_DIR}/${name} --dynamic built)
  if(built MATCHES "\\((RUNPATH|RPATH)\\)[^\n]*\\[(:|[^]\n]*::|[^]\n]*:\\])")
    message(FATAL_ERROR "${BUILD_DIR}/${name} has a library search path with an empty entry:\n"
                        "${built}")
  endif()
endforeach()

# lintian: no error and no warning; what it reports and we keep is overridden in
# data/package/lintian-overrides, each with its reason.
execute_process(COMMAND ${LINTIAN} --fail-on error,warning --no-tag-display-limit ${debs}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "lintian:\n${out}")
if(NOT status EQUAL 0 OR out MATCHES "(^|\n)[EW]: ")
  message(FATAL_ERROR "lintian finds fault with the package (status ${status}):\n${out}${err}")
endif()

# The source release: the repository's files at the top of pellimar-VERSION/, no
# build folder.
execute_process(COMMAND cpack --config ${BUILD_DIR}/CPackSourceConfig.cmake -B ${DEST}/source
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(GLOB tarballs ${DEST}/source/pellimar-*.tar.gz)
if(NOT status EQUAL 0 OR NOT tarballs)
  message(FATAL_ERROR "the source release was not made (${status}):\n${out}${err}")
endif()
execute_process(COMMAND tar -tzf ${tarballs} OUTPUT_VARIABLE listing)
get_filename_component(top ${tarballs} NAME)
string(REGEX REPLACE "\\.tar\\.gz$" "" top "${top}")
foreach(f CMakeLists.txt LICENSE README.md src/cli/options.cpp data/package/copyright)
  string(FIND "${listing}" "${top}/${f}\n" at)
  if(at LESS 0)
    message(FATAL_ERROR "the source release lacks ${top}/${f}")
  endif()
endforeach()
get_filename_component(build_name ${BUILD_DIR} NAME)
if(listing MATCHES "/${build_name}/|CMakeCache.txt")
  message(FATAL_ERROR "the source release holds the build folder")
endif()
