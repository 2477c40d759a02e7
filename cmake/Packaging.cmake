# Two Debian packages from one build, made by "cpack -G DEB": "quillmere" (the window with its
# delivered files, desktop entry, icon and metainfo) and "quillmere-cli" (the command line).
# The packages install below the prefix the build was configured with, which the desktop entry
# names; configure with -DCMAKE_INSTALL_PREFIX=/usr for a system package.
set(CPACK_PACKAGE_NAME quillmere)
set(CPACK_PACKAGE_VENDOR "The Quillmere developers")
set(CPACK_PACKAGE_CONTACT "The Quillmere developers <quillmere@velmora.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
if(QUILLMERE_GUI)
    list(APPEND CPACK_COMPONENTS_ALL window)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_CLI_PACKAGE_NAME quillmere-cli)
set(CPACK_DEBIAN_CLI_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_CLI_DESCRIPTION
    "Batch XML to delimited text converter, command line\n quillmere-cli flattens the element tree of each XML file into one line per text\n value, led by the names of the elements above it. It converts whole folder trees,\n in parallel, and splits a job list into parts for cluster schedulers.")

set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME quillmere)
set(CPACK_DEBIAN_WINDOW_PACKAGE_SECTION x11)
# The window's layout is measured in Arial; Liberation Sans has the same metrics.
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS fonts-liberation)
set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_COMPONENT_WINDOW_DESCRIPTION
    "Batch XML to delimited text converter\n Quillmere collects XML files in a list (by dialog, folder tree, drag and drop or\n the bundled examples) and flattens each file's element tree into one line per\n text value, led by the names of the elements above it.")

include(CPack)
