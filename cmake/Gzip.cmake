# Manual pages and the Debian changelog are installed gzip-compressed, as Debian ships them:
# -9 for the smallest file, -n so that the file's name and time are left out and every build
# makes the same bytes.
find_program(QUILLMERE_GZIP gzip REQUIRED)

# Compresses SOURCE (relative to the calling folder) into <binary folder>/<name>.gz when
# PROGRAM is built, so that installing the program finds it, and stores that path in
# OUTPUT_VARIABLE.
function(quillmere_gzip source program output_variable)
    get_filename_component(name ${source} NAME)
    get_filename_component(source ${source} ABSOLUTE)
    set(copy ${CMAKE_CURRENT_BINARY_DIR}/${name})
    add_custom_command(OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
        COMMAND ${QUILLMERE_GZIP} -9nf ${copy}
        DEPENDS ${source} VERBATIM)
    add_custom_target(gzip_${name} DEPENDS ${copy}.gz)
    add_dependencies(${program} gzip_${name})
    set(${output_variable} ${copy}.gz PARENT_SCOPE)
endfunction()
