# The program's own SVG pictures as PNG, for a Qt without its SVG module: each picture is
# rendered on the build host (ImageMagick) at its own size and put in the resources under the
# name the SVG has elsewhere, so the code reads ":/areas/0.svg" on every system. The Qt image
# reader finds the format from the content.
find_program(TAVOLIN_CONVERT NAMES convert magick REQUIRED)
function(tavolin_raster_qrc name prefix)
    set(entries "")
    set(outputs "")
    foreach(entry IN LISTS ARGN)
        string(REPLACE ":" ";" entry "${entry}")
        list(GET entry 0 alias)
        list(GET entry 1 source)
        set(png "${CMAKE_CURRENT_BINARY_DIR}/raster/${name}/${alias}.png")
        add_custom_command(OUTPUT "${png}"
            COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_CURRENT_BINARY_DIR}/raster/${name}"
            COMMAND ${TAVOLIN_CONVERT} -background none "${CMAKE_CURRENT_SOURCE_DIR}/${source}"
                    "PNG32:${png}"
            DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${source}" VERBATIM)
        list(APPEND outputs "${png}")
        string(APPEND entries "    <file alias=\"${alias}\">${png}</file>\n")
    endforeach()
    # The same base name as the SVG resource file, so Q_INIT_RESOURCE(name) finds it.
    file(CONFIGURE OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/raster/${name}.qrc" CONTENT
        "<RCC>\n  <qresource prefix=\"${prefix}\">\n${entries}  </qresource>\n</RCC>\n")
    set_source_files_properties("${CMAKE_CURRENT_BINARY_DIR}/raster/${name}.qrc"
        PROPERTIES OBJECT_DEPENDS "${outputs}")
    add_custom_target(tavolin_raster_${name} DEPENDS ${outputs})
    set(tavolin_picture_resources ${tavolin_picture_resources}
        "${CMAKE_CURRENT_BINARY_DIR}/raster/${name}.qrc" PARENT_SCOPE)
endfunction()

tavolin_raster_qrc(areas /areas
    0.svg:areas/delete.svg 1.svg:areas/recycle.svg
    2.svg:areas/delete-blink.svg 3.svg:areas/recycle-blink.svg)
tavolin_raster_qrc(about /about
    logo1.svg:about/logo1.svg logo2.svg:about/logo2.svg logo3.svg:about/logo3.svg
    logo4.svg:about/logo4.svg logo5.svg:about/logo5.svg)
