# Installing the package changes no desktop default. The unpacked package is put
# beside stand-ins of Wine's loader (which opens .exe) and of an image viewer
# (which opens .ico and .cur), and the desktop's caches are rebuilt as the
# package's triggers would. Then, before and after, for every type the
# thumbnailer lists and for sample files of each kind: the default application as
# gio sees it and as xdg-mime sees it in a GNOME session and elsewhere, and the
# mailcap entries update-mime would write.
#   cmake -DROOT=<unpacked package> -DSTAND_INS=<folder> -DWORK=<scratch>
#         -DWRITE_SAMPLES=... -DGIO=gio -DXDG_MIME=xdg-mime
#         -DUPDATE_DESKTOP=update-desktop-database -DUPDATE_MIME_DB=update-mime-database
#         -DUPDATE_MAILCAP=update-mime -P defaults_check.cmake
cmake_policy(VERSION 3.20)
file(REMOVE_RECURSE ${WORK})
set(apps ${WORK}/stand-ins/applications)
file(MAKE_DIRECTORY ${apps} ${WORK}/bin ${WORK}/home ${WORK}/config ${WORK}/config-dirs
     ${WORK}/data-home)
file(GLOB stand_ins ${STAND_INS}/*.desktop)
file(COPY ${stand_ins} DESTINATION ${apps})
# The programs the stand-ins start: gio ignores an entry whose program is missing.
foreach(program wine image-viewer)
  file(WRITE ${WORK}/bin/${program} "#!/bin/sh\nexit 0\n")
  file(CHMOD ${WORK}/bin/${program} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
endforeach()

set(share ${ROOT}/usr/share)
foreach(command "${UPDATE_DESKTOP};${apps}" "${UPDATE_DESKTOP};${share}/applications"
                "${UPDATE_MIME_DB};${share}/mime")
  execute_process(COMMAND ${command} RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${command} failed: ${status}")
  endif()
endforeach()
# Before: the stand-ins and the system; after: the package first, as its entry
# sorts before wine.desktop in one folder's cache.
set(before_dirs ${WORK}/stand-ins:/usr/share)
set(after_dirs ${share}:${WORK}/stand-ins:/usr/share)

function(desktop_env dirs result)
  set(${result} env -i PATH=${ROOT}/usr/bin:${WORK}/bin:/usr/bin:/bin HOME=${WORK}/home
                XDG_CONFIG_HOME=${WORK}/config XDG_CONFIG_DIRS=${WORK}/config-dirs
                XDG_DATA_HOME=${WORK}/data-home XDG_DATA_DIRS=${dirs} PARENT_SCOPE)
endfunction()

# "gio=...|gnome=...|other=..." for `type` with the data folders `dirs`.
function(defaults_of type dirs result)
  desktop_env(${dirs} env)
  execute_process(COMMAND ${env} ${GIO} mime ${type} OUTPUT_VARIABLE gio ERROR_QUIET)
  if(gio MATCHES "^Default application for [^\n]*: ([^\n]+)")
    set(gio ${CMAKE_MATCH_1})
  elseif(gio MATCHES "^No default applications")
    set(gio none)
  else()
    message(FATAL_ERROR "gio mime ${type}: ${gio}")
  endif()
  execute_process(COMMAND ${env} XDG_CURRENT_DESKTOP=GNOME ${XDG_MIME} query default ${type}
                  OUTPUT_VARIABLE gnome OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  execute_process(COMMAND ${env} ${XDG_MIME} query default ${type}
                  OUTPUT_VARIABLE other OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  set(${result} "gio=${gio}|gnome=${gnome}|other=${other}" PARENT_SCOPE)
endfunction()

# The types the package reads, and those its own MIME package brings (with their
# aliases): a type that did not exist before is compared through the files it names.
file(READ ${share}/thumbnailers/org.example.Pellimar.thumbnailer thumbnailer)
string(REGEX MATCH "MimeType=([^\n]*)" _ "${thumbnailer}")
string(REPLACE ";" " " types "${CMAKE_MATCH_1}")
separate_arguments(types)
file(GLOB mime_packages ${share}/mime/packages/*.xml)
set(new_types)
foreach(package ${mime_packages})
  file(STRINGS ${package} lines REGEX "<(mime-type|alias) type=\"")
  foreach(line ${lines})
    string(REGEX REPLACE ".*<(mime-type|alias) type=\"([^\"]+)\".*" "\\2" type "${line}")
    list(APPEND new_types ${type})
  endforeach()
endforeach()

set(compared 0)
foreach(type ${types})
  if(type IN_LIST new_types)
    continue()
  endif()
  defaults_of(${type} ${before_dirs} before)
  defaults_of(${type} ${after_dirs} after)
  message(STATUS "${type}: ${before}")
  if(NOT before STREQUAL after)
    message(FATAL_ERROR "installing changes the default for ${type}:\n"
                        "  before: ${before}\n  after:  ${after}")
  endif()
  math(EXPR compared "${compared} + 1")
endforeach()
# The stand-ins are the defaults they stand in for, or the comparison says nothing.
defaults_of(application/x-ms-dos-executable ${before_dirs} exe)
defaults_of(image/vnd.microsoft.icon ${before_dirs} ico)
if(NOT exe STREQUAL "gio=wine.desktop|gnome=wine.desktop|other=wine.desktop" OR
   NOT ico MATCHES "^gio=org.example.ImageViewer.desktop\\|")
  message(FATAL_ERROR "the stand-ins are not the defaults: .exe ${exe}; .ico ${ico}")
endif()

# Sample files of each kind, typed by gio as the file manager types them.
execute_process(COMMAND ${WRITE_SAMPLES} ${WORK}/samples --mime RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the sample files could not be written")
endif()
file(GLOB samples ${WORK}/samples/*)
foreach(sample ${samples})
  get_filename_component(name ${sample} NAME)
  set(seen)
  foreach(when before after)
    desktop_env(${${when}_dirs} env)
    execute_process(COMMAND ${env} ${GIO} info -a standard::content-type ${sample}
                    OUTPUT_VARIABLE info)
    if(NOT info MATCHES "standard::content-type: ([^\n]+)")
      message(FATAL_ERROR "gio info ${sample}: ${info}")
    endif()
    set(type ${CMAKE_MATCH_1})
    defaults_of(${type} ${${when}_dirs} defaults)
    string(REGEX REPLACE "\\|.*" "" defaults "${defaults}")
    list(APPEND seen "${type} ${defaults}")
  endforeach()
  list(GET seen 0 before)
  list(GET seen 1 after)
  message(STATUS "${name}: ${before} -> ${after}")
  string(REGEX REPLACE "^[^ ]+ " "" before "${before}")
  string(REGEX REPLACE "^[^ ]+ " "" after "${after}")
  if(NOT before STREQUAL after)
    message(FATAL_ERROR "installing changes what opens ${name}: ${before} -> ${after}")
  endif()
endforeach()

# The mailcap entries of the desktop entries, as update-mime makes them: its own
# script, run locally with its folders moved to the scratch (its configuration
# file cannot move them). The same before and after.
file(READ ${UPDATE_MAILCAP} script)
foreach(setting appsdir mimedir)
  if(NOT script MATCHES "my \\$${setting}\t= \"[^\"]*\";")
    message(FATAL_ERROR "${UPDATE_MAILCAP} does not set \$${setting} as expected")
  endif()
endforeach()
foreach(when before after)
  set(home ${WORK}/mailcap-${when})
  file(MAKE_DIRECTORY ${home}/no-packages)
  if(when STREQUAL "before")
    set(entries ${apps})
  else()
    set(entries ${share}/applications:${apps})
  endif()
  string(REGEX REPLACE "my \\$appsdir\t= \"[^\"]*\";" "my $appsdir = '${entries}';" moved
                       "${script}")
  string(REGEX REPLACE "my \\$mimedir\t= \"[^\"]*\";" "my $mimedir = '${home}/no-packages';"
                       moved "${moved}")
  file(WRITE ${home}/update-mime "${moved}")
  execute_process(COMMAND env HOME=${home} perl ${home}/update-mime --local
                  RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL 0 OR NOT EXISTS ${home}/.mailcap)
    message(FATAL_ERROR "update-mime --local: ${status} ${err}")
  endif()
  file(READ ${home}/.mailcap mailcap_${when})
endforeach()
if(NOT mailcap_before MATCHES "application/x-ms-dos-executable; wine")
  message(FATAL_ERROR "update-mime did not read the stand-ins:\n${mailcap_before}")
endif()
if(NOT mailcap_before STREQUAL mailcap_after)
  message(FATAL_ERROR "installing changes the mailcap entries:\nbefore:\n${mailcap_before}\n"
                      "after:\n${mailcap_after}")
endif()
message(STATUS "defaults unchanged for ${compared} types and every sample; mailcap unchanged")
