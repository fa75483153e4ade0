# The toolchain of the `windows` preset: 64-bit Windows with Debian's MinGW-w64 and the Qt for
# MinGW that scripts/install-deps.sh unpacks into build/qt-mingw (or the Qt folder named by
# the environment variable TAVOLIN_QT_MINGW). Its own toolchain file sets the compilers.
if(DEFINED ENV{TAVOLIN_QT_MINGW} AND NOT "$ENV{TAVOLIN_QT_MINGW}" STREQUAL "")
    set(TAVOLIN_QT_MINGW "$ENV{TAVOLIN_QT_MINGW}")
else()
    get_filename_component(TAVOLIN_QT_MINGW "${CMAKE_CURRENT_LIST_DIR}/../build/qt-mingw" ABSOLUTE)
endif()
if(NOT EXISTS "${TAVOLIN_QT_MINGW}/mingw-toolchain.cmake")
    message(FATAL_ERROR "No Qt for MinGW in ${TAVOLIN_QT_MINGW}: run scripts/install-deps.sh "
                        "with the toolchain archive beside the project, or set TAVOLIN_QT_MINGW.")
endif()
include("${TAVOLIN_QT_MINGW}/mingw-toolchain.cmake")
list(APPEND CMAKE_PREFIX_PATH "${TAVOLIN_QT_MINGW}")
# moc, rcc and uic are the host's (qt6-base-dev-tools, the same Qt version).
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
# The host's rcc compresses with zstd, which this Qt was built without.
set(CMAKE_AUTORCC_OPTIONS --no-zstd)
