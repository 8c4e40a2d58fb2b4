# Builds a MIME database from the installed package alone, then asks the desktop
# (gio, and xdg-mime as a GNOME session runs it) for the types of sample files with
# that database in a scratch XDG_DATA_HOME and without it: an .icl is an icon
# library, while a Wine font (.fon) and NE libraries keep the types they had.
# Every type that gio or `file` gives a sample with icons is one the thumbnailer
# lists; the desktop entry lists none, so that installing makes the program the
# default of no type (defaults_check.cmake measures that).
#   cmake -DMIME_DIR=<scratch>/usr/share/mime -DUPDATE=update-mime-database
#         -DWRITE_SAMPLES=... -DSAMPLES=<folder> -DFONT=<a .fon> -DGIO=gio
#         -DXDG_MIME=xdg-mime -DFILE=file -DTHUMBNAILER=... -DDESKTOP_ENTRY=...
#         -P mime_check.cmake
execute_process(COMMAND ${UPDATE} ${MIME_DIR} RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR err MATCHES "[Ww]arning|[Ee]rror")
  message(FATAL_ERROR "update-mime-database: ${status} ${err}")
endif()
file(READ ${MIME_DIR}/globs2 globs)
if(NOT globs MATCHES "application/x-ms-icon-library:\\*\\.icl")
  message(FATAL_ERROR "no glob for .icl:\n${globs}")
endif()

file(REMOVE_RECURSE ${SAMPLES})
execute_process(COMMAND ${WRITE_SAMPLES} ${SAMPLES} --mime RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the sample files could not be written")
endif()
if(NOT EXISTS ${FONT})
  message(FATAL_ERROR "no Wine font at ${FONT} (package fonts-wine)")
endif()
file(COPY ${FONT} DESTINATION ${SAMPLES})
get_filename_component(font ${FONT} NAME)

# The type of `file` as the desktop sees it, with `data_home` as XDG_DATA_HOME.
function(type_of file data_home result)
  set(env ${CMAKE_COMMAND} -E env XDG_DATA_HOME=${data_home} XDG_CURRENT_DESKTOP=GNOME)
  execute_process(COMMAND ${env} ${GIO} info -a standard::content-type ${SAMPLES}/${file}
                  OUTPUT_VARIABLE gio RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT gio MATCHES "standard::content-type: ([^\n]+)")
    message(FATAL_ERROR "gio info ${file}: ${status} ${gio}")
  endif()
  set(type ${CMAKE_MATCH_1})
  execute_process(COMMAND ${env} ${XDG_MIME} query filetype ${SAMPLES}/${file}
                  OUTPUT_VARIABLE xdg OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT xdg STREQUAL type)
    message(FATAL_ERROR "${file}: gio says ${type}, xdg-mime says ${xdg}")
  endif()
  set(${result} ${type} PARENT_SCOPE)
endfunction()

get_filename_component(package_home ${MIME_DIR} DIRECTORY)
set(system_home ${SAMPLES}/empty-data-home)
file(MAKE_DIRECTORY ${system_home})
foreach(sample ${font} plain-ne.dll icons-in-a.dll program.dll icon.ico arrow.cur)
  type_of(${sample} ${system_home} before)
  type_of(${sample} ${package_home} after)
  message(STATUS "${sample}: ${before} -> ${after}")
  if(NOT before STREQUAL after)
    message(FATAL_ERROR "${sample} was ${before}; with the package installed it is ${after}")
  endif()
  set(type_${sample} ${after})
endforeach()
type_of(library.icl ${package_home} type_library.icl)
if(NOT type_library.icl STREQUAL "application/x-ms-icon-library")
  message(FATAL_ERROR "library.icl is ${type_library.icl}, not an icon library")
endif()

file(READ ${THUMBNAILER} thumbnailer)
file(READ ${DESKTOP_ENTRY} entry)
foreach(sample library.icl icons-in-a.dll program.dll icon.ico arrow.cur)
  execute_process(COMMAND ${FILE} --brief --mime-type ${SAMPLES}/${sample}
                  OUTPUT_VARIABLE by_file OUTPUT_STRIP_TRAILING_WHITESPACE)
  foreach(type ${type_${sample}} ${by_file})
    if(NOT thumbnailer MATCHES "[=;]${type};")
      message(FATAL_ERROR "${sample} is ${type}, which the thumbnailer does not list")
    endif()
  endforeach()
endforeach()
if(entry MATCHES "(^|\n)MimeType=")
  message(FATAL_ERROR "the desktop entry lists types, and would become their default "
                      "where no other application takes them")
endif()
