# The tests of the Windows cross build.
#
# Debian has no GoogleTest built for MinGW, so it is built here from its sources (package
# googletest). Its headers count as the system's: the project's warnings are not theirs.
set(TAVOLIN_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${TAVOLIN_GOOGLETEST_SOURCE} googletest EXCLUDE_FROM_ALL SYSTEM)
# (It names its targets GTest::gtest_main and GTest::gmock itself, as the package does.)

# Every test program runs under Wine through wine-run.sh, in one Wine prefix per build tree
# (made by the first test that needs it), with Qt's and the compiler's DLLs on its path.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-libgcc-file-name
    OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(gcc_dlls "${libgcc}" DIRECTORY)
get_filename_component(qt_root "${Qt6_DIR}/../../.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh
    ${CMAKE_BINARY_DIR}/wineprefix
    "${qt_root}/bin:${gcc_dlls}:/usr/x86_64-w64-mingw32/lib"
    ${qt_root}/plugins)
