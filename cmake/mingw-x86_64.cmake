# 64-bit Windows: the build the tests run under Wine.
set(QVX_MINGW_ARCH x86_64)
set(QVX_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
