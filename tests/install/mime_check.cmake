# Builds a MIME database from the installed package alone and checks that it took
# the icon-library type's glob and magic.
#   cmake -DMIME_DIR=<scratch>/usr/share/mime -DUPDATE=update-mime-database -P mime_check.cmake
execute_process(COMMAND ${UPDATE} ${MIME_DIR} RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR err MATCHES "[Ww]arning|[Ee]rror")
  message(FATAL_ERROR "update-mime-database: ${status} ${err}")
endif()
file(READ ${MIME_DIR}/globs2 globs)
if(NOT globs MATCHES "application/x-ms-icon-library:\\*\\.icl")
  message(FATAL_ERROR "no glob for .icl:\n${globs}")
endif()
file(READ ${MIME_DIR}/magic magic HEX)
string(HEX "application/x-ms-icon-library" wanted)
string(FIND "${magic}" "${wanted}" at)
if(at LESS 0)
  message(FATAL_ERROR "no magic for the icon library type")
endif()
