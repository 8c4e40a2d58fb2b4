# Makes the Debian packages of the build into a scratch folder and checks them:
# the program's package (the libraries it depends on, its files, the unpacked
# program finding its own files, its programs built hardened), the C library's
# two (their files, its symbols file, a program built against them with
# pkg-config making the bytes the packaged pellimar-cli makes), lintian's
# verdict on each, and the desktop's defaults and mailcap entries unchanged by
# the program's package (defaults_check.cmake).
#   cmake -DBUILD_DIR=... -DBUILD_TYPE=... -DDEST=... -DLINTIAN=... -DREADELF=...
#         -DSOURCE_DIR=... -DWRITE_SAMPLES=... -DCC=... -DPKG_CONFIG=...
#         -DSTAND_INS=... -DGIO=... -DXDG_MIME=... -DUPDATE_DESKTOP=...
#         -DUPDATE_MIME_DB=... -DUPDATE_MAILCAP=... -P package_check.cmake
if(BUILD_TYPE STREQUAL "Debug" OR BUILD_TYPE STREQUAL "")
  message("not checked: the package is checked in an optimised build (Release, "
          "RelWithDebInfo); this one is '${BUILD_TYPE}'")
  return()
endif()
file(REMOVE_RECURSE ${DEST})
execute_process(COMMAND cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${DEST}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed (${status}):\n${out}${err}")
endif()
# One package file of each name, named as Debian names them (the Python module's,
# python3-pellimar, has a test of its own: tests/python/package_check.cmake).
foreach(package pellimar libpellimar1 libpellimar-dev python3-pellimar)
  file(GLOB found ${DEST}/${package}_*.deb)
  list(LENGTH found count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "cpack made ${count} packages ${package}_*.deb:\n${out}${err}")
  endif()
  set(deb_${package} ${found})
endforeach()
set(debs ${deb_pellimar})

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
  # A client of libpellimar leaves the reading, encoding and writing to the
  # library: the checked functions show in the library's imports.
  set(checked "${symbols}")
  if(NOT checked MATCHES "__[a-z]+_chk@" AND symbols MATCHES " pellimar_open_path")
    execute_process(COMMAND dpkg-deb -x ${deb_libpellimar1} ${DEST}/library-root)
    file(GLOB_RECURSE library ${DEST}/library-root/usr/lib/libpellimar.so.1)
    if(library)
      list(GET library 0 library)
      read_elf(${library} --dyn-syms checked)
    endif()
  endif()
  if(NOT checked MATCHES "__[a-z]+_chk@")
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

# The C library's packages: the shared library alone in libpellimar1, what a
# program is built with in libpellimar-dev, and none of it in the program's.
execute_process(COMMAND dpkg-deb -c ${deb_pellimar} OUTPUT_VARIABLE listing)
if(listing MATCHES "libpellimar|pellimar\\.h|pellimar\\.pc|man3")
  message(FATAL_ERROR "the program's package holds the library's files:\n${listing}")
endif()
set(lib_root ${DEST}/library-root)
foreach(package libpellimar1 libpellimar-dev)
  execute_process(COMMAND dpkg-deb -x ${deb_${package}} ${lib_root} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -x ${deb_${package}} failed")
  endif()
endforeach()
file(GLOB_RECURSE runtime_files LIST_DIRECTORIES false RELATIVE ${lib_root}/usr
     ${lib_root}/usr/lib*/libpellimar.so.1*)
execute_process(COMMAND dpkg-deb -c ${deb_libpellimar1} OUTPUT_VARIABLE runtime_listing)
execute_process(COMMAND dpkg-deb -c ${deb_libpellimar-dev} OUTPUT_VARIABLE dev_listing)
foreach(pattern "-rw-r--r-- [^\n]*/libpellimar\\.so\\.1\\.[0-9.]+\n"
                "/libpellimar\\.so\\.1 -> libpellimar\\.so\\.1\\.[0-9.]+\n"
                "/usr/share/doc/libpellimar1/copyright\n")
  if(NOT runtime_listing MATCHES "${pattern}")
    message(FATAL_ERROR "libpellimar1 lacks ${pattern}:\n${runtime_listing}")
  endif()
endforeach()
foreach(pattern "/usr/include/pellimar\\.h\n" "/libpellimar\\.so -> libpellimar\\.so\\.1\n"
                "/pkgconfig/pellimar\\.pc\n" "/cmake/Pellimar/PellimarConfig\\.cmake\n"
                "/usr/share/man/man3/pellimar\\.3\\.gz\n" "/usr/share/doc/libpellimar-dev/copyright\n")
  if(NOT dev_listing MATCHES "${pattern}")
    message(FATAL_ERROR "libpellimar-dev lacks ${pattern}:\n${dev_listing}")
  endif()
endforeach()
if(dev_listing MATCHES "(^|\n)-[^\n]*/libpellimar\\.so\\.1")
  message(FATAL_ERROR "libpellimar-dev holds the shared library:\n${dev_listing}")
endif()
execute_process(COMMAND dpkg-deb -f ${deb_libpellimar-dev} Depends OUTPUT_VARIABLE depends)
if(NOT depends MATCHES "libpellimar1 \\(= ")
  message(FATAL_ERROR "libpellimar-dev does not depend on its library: ${depends}")
endif()
# Its control files: the symbols file of the source tree, and the loader's trigger.
execute_process(COMMAND dpkg-deb -I ${deb_libpellimar1} symbols OUTPUT_VARIABLE symbols)
file(READ ${SOURCE_DIR}/data/package/libpellimar1.symbols expected)
if(NOT symbols STREQUAL expected)
  message(FATAL_ERROR "libpellimar1's symbols control file is not data/package/libpellimar1.symbols:\n"
                      "${symbols}")
endif()
execute_process(COMMAND dpkg-deb -I ${deb_libpellimar1} triggers OUTPUT_VARIABLE triggers)
if(NOT triggers MATCHES "activate-noawait ldconfig")
  message(FATAL_ERROR "libpellimar1 does not activate the ldconfig trigger: ${triggers}")
endif()

# A program built against the unpacked packages with pkg-config, as their user
# builds one, makes the icon file the packaged pellimar-cli extracts.
file(GLOB pc_files ${lib_root}/usr/lib*/pkgconfig/pellimar.pc ${lib_root}/usr/lib/*/pkgconfig/pellimar.pc)
get_filename_component(pc_dir "${pc_files}" DIRECTORY)
get_filename_component(lib_dir "${pc_dir}" DIRECTORY)
set(client ${DEST}/library-client)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pc_dir} PKG_CONFIG_LIBDIR=${pc_dir}
          sh -c "${CC} -std=c99 -Wall -Wextra -pedantic -Werror -o '${client}' \
                 '${SOURCE_DIR}/tests/install/library_client.c' $(${PKG_CONFIG} --cflags --libs pellimar)"
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "a program cannot be built against the packages (${status}):\n${out}${err}")
endif()
execute_process(COMMAND ${WRITE_SAMPLES} ${DEST}/samples RESULT_VARIABLE status)
execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${lib_dir} ${client}
                        ${DEST}/samples/library32.dll ${DEST}/client-icon.ico
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "library_client: ${out}${err}")
if(NOT status EQUAL 0 OR NOT out MATCHES "^libpellimar [0-9.]+: 1 icons\n$")
  message(FATAL_ERROR "the program built against the packages fails (${status}):\n${out}${err}")
endif()
# The packaged pellimar-cli is a client of the packaged library.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${lib_dir}
                        ${DEST}/root/usr/bin/pellimar-cli extract -o ${DEST}/extracted
                        ${DEST}/samples/library32.dll RESULT_VARIABLE status)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${DEST}/client-icon.ico
                        ${DEST}/extracted/library32.dll-0.ico RESULT_VARIABLE differ)
if(NOT status EQUAL 0 OR NOT differ EQUAL 0)
  message(FATAL_ERROR "the library's icon file differs from pellimar-cli extract's")
endif()

# The same program built with CMake's find_package(Pellimar) from the packages.
set(cmake_client ${DEST}/cmake-client)
file(MAKE_DIRECTORY ${cmake_client})
file(WRITE ${cmake_client}/CMakeLists.txt
     "cmake_minimum_required(VERSION 3.25)\nproject(client C)\nfind_package(Pellimar 1 REQUIRED)\n"
     "add_executable(client ${SOURCE_DIR}/tests/install/library_client.c)\n"
     "target_link_libraries(client PRIVATE Pellimar::pellimar)\n")
execute_process(COMMAND ${CMAKE_COMMAND} -S ${cmake_client} -B ${cmake_client}/build
                        -DCMAKE_PREFIX_PATH=${lib_root}/usr
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(status EQUAL 0)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${cmake_client}/build
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
endif()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "find_package(Pellimar) does not build a program (${status}):\n${out}${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${lib_dir} ${cmake_client}/build/client
                        ${DEST}/samples/library32.dll ${DEST}/cmake-client-icon.ico
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${DEST}/cmake-client-icon.ico
                        ${DEST}/extracted/library32.dll-0.ico RESULT_VARIABLE differ)
if(NOT status EQUAL 0 OR NOT differ EQUAL 0)
  message(FATAL_ERROR "the program built with find_package(Pellimar) fails (${status}, "
                      "${differ}):\n${out}${err}")
endif()

# lintian: no error and no warning; what it reports and we keep is overridden in
# data/package/lintian-overrides, each with its reason.
execute_process(COMMAND ${LINTIAN} --fail-on error,warning --no-tag-display-limit ${deb_pellimar}
                        ${deb_libpellimar1} ${deb_libpellimar-dev} ${deb_python3-pellimar}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "lintian:\n${out}")
if(NOT status EQUAL 0 OR out MATCHES "(^|\n)[EW]: ")
  message(FATAL_ERROR "lintian finds fault with the packages (status ${status}):\n${out}${err}")
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
