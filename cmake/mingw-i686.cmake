# 32-bit Windows: the product, with the win32-thread runtime.
set(QVX_MINGW_ARCH i686)
set(QVX_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
