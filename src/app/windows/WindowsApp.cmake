# The Windows executable: a window program (no console), with the program's icon, rendered
# on the build host from the same SVG as the Linux icons, its application manifest and its
# version information.
enable_language(RC)
find_program(TAVOLIN_CONVERT NAMES convert magick REQUIRED)
set(TAVOLIN_ICO ${CMAKE_CURRENT_BINARY_DIR}/tavolin.ico)
add_custom_command(OUTPUT ${TAVOLIN_ICO}
    COMMAND ${TAVOLIN_CONVERT} -background none ${PROJECT_SOURCE_DIR}/dist/unix/tavolin.svg
            -define icon:auto-resize=256,48,32,16 ${TAVOLIN_ICO}
    DEPENDS ${PROJECT_SOURCE_DIR}/dist/unix/tavolin.svg VERBATIM)
set(TAVOLIN_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/tavolin.manifest)
configure_file(${CMAKE_CURRENT_LIST_DIR}/tavolin.manifest ${TAVOLIN_MANIFEST} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/tavolin.rc.in ${CMAKE_CURRENT_BINARY_DIR}/tavolin.rc @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/tavolin.rc
    PROPERTIES OBJECT_DEPENDS "${TAVOLIN_ICO};${TAVOLIN_MANIFEST}")
foreach(target IN ITEMS tavolin tavolin_installed)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/tavolin.rc)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
        _WIN32_WINNT=0x0A00)
    target_link_libraries(${target} PRIVATE shell32 user32)
endforeach()
