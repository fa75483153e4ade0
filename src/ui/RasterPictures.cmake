# The program's own pictures are drawn as SVG and go into the resources as PNG, rendered on the
# build host (ImageMagick) at their own size and at twice it ("name@2x.png", which QIcon picks
# on a high-density screen). Reading PNG at start-up needs neither Qt's SVG module nor the
# decompression of the resources; the Qt for Windows has no SVG module at all.
find_program(TAVOLIN_CONVERT NAMES convert magick REQUIRED)
function(tavolin_raster_qrc name prefix)
    set(entries "")
    set(outputs "")
    foreach(entry IN LISTS ARGN)
        string(REPLACE ":" ";" entry "${entry}")
        list(GET entry 0 alias)
        list(GET entry 1 source)
        foreach(scale 1 2)
            set(suffix "")
            if(scale EQUAL 2)
                set(suffix "@2x")
            endif()
            math(EXPR density "96 * ${scale}")
            set(png "${CMAKE_CURRENT_BINARY_DIR}/raster/${name}/${alias}${suffix}.png")
            add_custom_command(OUTPUT "${png}"
                COMMAND ${CMAKE_COMMAND} -E make_directory
                        "${CMAKE_CURRENT_BINARY_DIR}/raster/${name}"
                COMMAND ${TAVOLIN_CONVERT} -background none -density ${density}
                        "${CMAKE_CURRENT_SOURCE_DIR}/${source}" "PNG32:${png}"
                DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${source}" VERBATIM)
            list(APPEND outputs "${png}")
            string(APPEND entries "    <file alias=\"${alias}${suffix}.png\">${png}</file>\n")
        endforeach()
    endforeach()
    # Named after the resource, so that Q_INIT_RESOURCE(name) finds it.
    file(CONFIGURE OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/raster/${name}.qrc" CONTENT
        "<RCC>\n  <qresource prefix=\"${prefix}\">\n${entries}  </qresource>\n</RCC>\n")
    set_source_files_properties("${CMAKE_CURRENT_BINARY_DIR}/raster/${name}.qrc"
        PROPERTIES OBJECT_DEPENDS "${outputs}")
    add_custom_target(tavolin_raster_${name} DEPENDS ${outputs})
    set(tavolin_picture_resources ${tavolin_picture_resources}
        "${CMAKE_CURRENT_BINARY_DIR}/raster/${name}.qrc" PARENT_SCOPE)
endfunction()

tavolin_raster_qrc(areas /areas
    0:areas/delete.svg 1:areas/recycle.svg 2:areas/delete-blink.svg 3:areas/recycle-blink.svg)
tavolin_raster_qrc(about /about
    logo1:commands/about/logo1.svg logo2:commands/about/logo2.svg logo3:commands/about/logo3.svg
    logo4:commands/about/logo4.svg logo5:commands/about/logo5.svg)
