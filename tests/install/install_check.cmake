# Installs the build into a scratch DESTDIR and checks what landed there: every
# file of the layout, and the installed program, started from another folder,
# finding its tips and help in ../share/pellimar.
#   cmake -DBUILD_DIR=... -DDEST=... -DAPP_ID=... -DVERSION=... -P install_check.cmake
file(REMOVE_RECURSE ${DEST})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${DEST}
                        ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(root ${DEST}/usr)
set(expected
    bin/pellimar bin/pellimar-cli bin/pellimar-thumbnailer
    share/pellimar/tips.dat share/pellimar/tips_de.dat share/pellimar/help.chm share/pellimar/help/index.html
    share/applications/${APP_ID}.desktop share/metainfo/${APP_ID}.metainfo.xml
    share/mime/packages/${APP_ID}.xml share/thumbnailers/${APP_ID}.thumbnailer
    share/icons/hicolor/scalable/apps/${APP_ID}.svg
    share/man/man1/pellimar.1.gz share/man/man1/pellimar-cli.1.gz
    share/man/man1/pellimar-thumbnailer.1.gz
    share/doc/pellimar/copyright share/doc/pellimar/changelog.gz
    share/bash-completion/completions/pellimar-cli share/zsh/vendor-completions/_pellimar-cli
    share/fish/vendor_completions.d/pellimar-cli.fish)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
endforeach()
# The C library, and what programs are built against it with.
list(APPEND expected include/pellimar.h share/man/man3/pellimar.3.gz)
foreach(f libpellimar.so libpellimar.so.1 pkgconfig/pellimar.pc cmake/Pellimar/PellimarConfig.cmake)
  file(GLOB found ${root}/lib/${f} ${root}/lib/*/${f} ${root}/lib64/${f})
  if(NOT found)
    message(FATAL_ERROR "not installed: lib/${f}")
  endif()
endforeach()
foreach(f ${expected})
  if(NOT EXISTS ${root}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
# The man pages are compressed whole (gzip's check of each).
foreach(page pellimar pellimar-cli pellimar-thumbnailer)
  execute_process(COMMAND gzip -t ${root}/share/man/man1/${page}.1.gz RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR EXISTS ${root}/share/man/man1/${page}.1)
    message(FATAL_ERROR "share/man/man1/${page}.1 is not installed compressed")
  endif()
endforeach()
# The help compiler's project files are not part of the installation.
if(EXISTS ${root}/share/pellimar/help/help.hhp)
  message(FATAL_ERROR "help.hhp was installed")
endif()

# The installed program, started from elsewhere, without a display.
execute_process(COMMAND ${root}/bin/pellimar --paths WORKING_DIRECTORY ${DEST}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "pellimar --paths:\n${out}${err}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the installed program misses its own files (status ${status})")
endif()
foreach(line "data: ${root}/share/pellimar (installed)" "tips: ${root}/share/pellimar/tips.dat\n"
             "help file: ${root}/share/pellimar/help.chm\n"
             "help pages: ${root}/share/pellimar/help/index.html\n")
  string(FIND "${out}" "${line}" at)
  if(at LESS 0)
    message(FATAL_ERROR "pellimar --paths does not say: ${line}")
  endif()
endforeach()

execute_process(COMMAND ${root}/bin/pellimar --version RESULT_VARIABLE status
                OUTPUT_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out STREQUAL "pellimar ${VERSION}\n")
  message(FATAL_ERROR "pellimar --version: ${status} ${out}")
endif()

# Desktop and thumbnailer entries name programs that were installed.
file(READ ${root}/share/applications/${APP_ID}.desktop entry)
file(READ ${root}/share/thumbnailers/${APP_ID}.thumbnailer thumbnailer)
if(NOT entry MATCHES "\nExec=pellimar %F\n" OR NOT entry MATCHES "\nIcon=${APP_ID}\n"
   OR NOT thumbnailer MATCHES "\nExec=pellimar-thumbnailer -s %s %i %o\n")
  message(FATAL_ERROR "the entries do not start the installed programs")
endif()
