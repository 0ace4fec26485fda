# Cross-compiles for Windows with Debian's mingw-w64. The including toolchain file sets
# QVX_MINGW_ARCH (i686 or x86_64) and QVX_MINGW_THREADS, win32: the runtime then needs nothing newer
# than Windows 2000, while the posix flavour would bring in winpthreads and Vista's GetTickCount64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QVX_MINGW_ARCH})
set(CMAKE_C_COMPILER ${QVX_MINGW_ARCH}-w64-mingw32-gcc-${QVX_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${QVX_MINGW_ARCH}-w64-mingw32-g++-${QVX_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${QVX_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_AR ${QVX_MINGW_ARCH}-w64-mingw32-ar)
set(CMAKE_RANLIB ${QVX_MINGW_ARCH}-w64-mingw32-ranlib)
set(CMAKE_STRIP ${QVX_MINGW_ARCH}-w64-mingw32-strip)
set(CMAKE_FIND_ROOT_PATH /usr/${QVX_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
