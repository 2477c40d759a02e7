# Run when the window is installed (cmake --install, cpack): writes the desktop entry made from
# desktop_entry_template into share/applications below the prefix in force, so that it names
# the program where this very installation puts it, program_below_prefix below that prefix.
# A desktop entry's Exec key takes the program quoted, with \ " ` $ behind a backslash and %
# doubled; the value's own escaping then doubles every backslash once more.
get_filename_component(installed_program "${CMAKE_INSTALL_PREFIX}/${program_below_prefix}" ABSOLUTE)
set(argument "${installed_program}")
foreach(character "\\" "\"" "`" "$")
    string(REPLACE "${character}" "\\${character}" argument "${argument}")
endforeach()
string(REPLACE "%" "%%" argument "${argument}")
string(REPLACE "\\" "\\\\" QUILLMERE_DESKTOP_EXEC "\"${argument}\"")
string(REPLACE "\\" "\\\\" QUILLMERE_DESKTOP_TRYEXEC "${installed_program}")

get_filename_component(entry_name "${desktop_entry_template}" NAME_WLE)
set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/${entry_name}")
message(STATUS "Installing: ${entry}")
configure_file("${desktop_entry_template}" "${entry}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")
