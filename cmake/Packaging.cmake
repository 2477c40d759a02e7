# Two Debian packages from one build, made by "cpack -G DEB": "quillmere" (the window with its
# delivered files, desktop entry, icon and metainfo) and "quillmere-cli" (the command line).
# Packages install below /usr whatever prefix the build was configured with; the desktop entry,
# written as it is installed, names the program there.
set(CPACK_PACKAGE_NAME quillmere)
set(CPACK_PACKAGE_VENDOR "The Quillmere developers")
set(CPACK_PACKAGE_CONTACT "The Quillmere developers <quillmere@velmora.invalid>")
# Each package's description starts with a summary of its own; a common summary, which CPack
# would put in front of both, stays empty.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The programs lose their debug symbols: nobody would fetch a symbol package of a build made
# on one machine, and a developer debugging builds from the sources with symbols.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
if(QUILLMERE_GUI)
    list(APPEND CPACK_COMPONENTS_ALL window)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# Descriptions: the summary line, then the text CPack indents by one blank; every line of the
# package's control file stays within 80 columns.
set(CPACK_DEBIAN_CLI_PACKAGE_NAME quillmere-cli)
set(CPACK_DEBIAN_CLI_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_CLI_DESCRIPTION [[
Batch XML to delimited text converter - command line
quillmere-cli flattens the element tree of each XML file into one line per
text value, led by the names of the elements above it. It converts whole
folder trees, in parallel, and splits a job list into parts for cluster
schedulers.]])

set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME quillmere)
set(CPACK_DEBIAN_WINDOW_PACKAGE_SECTION x11)
# The window's layout is measured in Arial; Liberation Sans has the same metrics.
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS fonts-liberation)
set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_WINDOW_DESCRIPTION [[
Batch XML to delimited text converter - desktop window
Quillmere collects XML files in a list (by dialog, folder tree, drag and drop
or the bundled examples) and flattens each file's element tree into one line
per text value, led by the names of the elements above it.]])

# Each package's documentation folder holds the licence as a machine-readable copyright file
# and the changelog, as Debian expects; "cmake --install" puts them there too.
quillmere_gzip(cmake/debian/changelog quillmere-cli changelog)
foreach(component IN LISTS CPACK_COMPONENTS_ALL)
    string(TOUPPER ${component} upper)
    set(package ${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
    install(FILES cmake/debian/copyright ${changelog}
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}
        COMPONENT ${component})
    # The parser is the project's patched copy of expat, linked in; see the overrides' reason.
    install(FILES cmake/debian/${package}.lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME ${package}
        COMPONENT ${component})
endforeach()

include(CPack)
