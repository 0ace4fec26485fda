# 64-bit Windows: the build the tests run under Wine, with the same win32-thread runtime.
set(QVX_MINGW_ARCH x86_64)
set(QVX_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
