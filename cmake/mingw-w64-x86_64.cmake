# Cross-builds the Windows programs on Debian with MinGW-w64 (the posix-threads
# variant: std::thread and std::mutex) against a Qt built for it.
#
#   cmake -S . -B build-windows -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKVOR_QT_MINGW=<Qt prefix>
#
# KVOR_QT_MINGW (a cache variable or the environment variable of that name)
# is the unpacked Qt for MinGW; scripts/windows.sh unpacks the one in
# ../shared/windows/ and passes it. Debian's moc, rcc and uic (the same Qt
# version) are the host tools.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT KVOR_QT_MINGW AND DEFINED ENV{KVOR_QT_MINGW})
  set(KVOR_QT_MINGW "$ENV{KVOR_QT_MINGW}")
endif()
if(NOT KVOR_QT_MINGW)
  message(FATAL_ERROR "Set KVOR_QT_MINGW to the Qt built for MinGW-w64 (scripts/windows.sh does)")
endif()
set(KVOR_QT_MINGW "${KVOR_QT_MINGW}" CACHE PATH "Qt for MinGW-w64 x86_64" FORCE)
# try_compile projects see the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KVOR_QT_MINGW)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${KVOR_QT_MINGW})
set(CMAKE_PREFIX_PATH ${KVOR_QT_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

