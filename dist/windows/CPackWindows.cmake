# Read by cpack once for each generator: the zip packs the portable build, the installer the
# installed one. Both are named after the project's version.
set(CPACK_PACKAGE_FILE_NAME "tavolin-${CPACK_PACKAGE_VERSION}-win64")
if(CPACK_GENERATOR STREQUAL "ZIP")
    set(CPACK_COMPONENTS_ALL portable)
    # It unpacks into one folder, tavolin-<version>-win64.
    set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
elseif(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_COMPONENTS_ALL installed)
    set(CPACK_PACKAGE_FILE_NAME "tavolin-${CPACK_PACKAGE_VERSION}-win64-setup")
    # One hidden component: no page to choose components on.
    set(CPACK_NSIS_PAGE_COMPONENTS "; no components to choose")
endif()
