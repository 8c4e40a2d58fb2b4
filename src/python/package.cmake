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
# The first line is the summary; Debian shows the lines as they are, each within
# 80 characters.
set(CPACK_DEBIAN_PYTHON3-PELLIMAR_DESCRIPTION
    "read the icons of Windows programs and icon files: Python 3 module
The module pellimar lists the icons and cursors stored in Windows programs and
libraries (PE and NE), icon files and cursor files, and gives each as an icon
or cursor file exactly as stored, each image as PNG or RGBA pixels, and an
icon drawn at any size, through the library libpellimar.
.
Its module pellimar.icoextract offers the interface of the icoextract library,
so that a program written for that changes one import.")
list(APPEND CPACK_COMPONENTS_ALL python3-pellimar)
