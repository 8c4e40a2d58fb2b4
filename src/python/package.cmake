# The Debian package of the Python module, python3-pellimar: architecture-
# independent, as its code is Python alone, and depending on the C library it
# loads. Byte-compiled on installation and cleaned on removal by Debian's own
# py3compile and py3clean, as packages built with dh_python3 are.
set(CPACK_DEBIAN_PYTHON3-PELLIMAR_PACKAGE_NAME python3-pellimar)
set(CPACK_DEBIAN_PYTHON3-PELLIMAR_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PYTHON3-PELLIMAR_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PYTHON3-PELLIMAR_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON3-PELLIMAR_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PYTHON3-PELLIMAR_PACKAGE_DEPENDS
    "python3, libpellimar1 (>= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_PYTHON3-PELLIMAR_PACKAGE_RECOMMENDS "")
set(CPACK_DEBIAN_PYTHON3-PELLIMAR_PACKAGE_SUGGESTS "python3-distributed")
set(CPACK_DEBIAN_PYTHON3-PELLIMAR_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst ${CMAKE_CURRENT_LIST_DIR}/debian/prerm)
set(CPACK_DEBIAN_PYTHON3-PELLIMAR_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_PYTHON3-PELLIMAR_DISPLAY_NAME "python3-pellimar")
# The first line is the summary; Debian shows the lines as they are, each within
# 80 characters.
set(CPACK_DEBIAN_PYTHON3-PELLIMAR_DESCRIPTION
    "Python module to read the icons stored in Windows programs\n\
The module pellimar lists the icons and cursors stored in Windows programs and\n\
libraries (PE and NE), icon files and cursor files, and gives each as an icon\n\
or cursor file exactly as stored, each image as PNG or RGBA pixels, and an\n\
icon drawn at any size. Its module pellimar.icoextract offers the interface\n\
of the icoextract library, so that a program written for it changes one\n\
import. It uses the library libpellimar.")
