# 64-bit Windows: the build the tests run under Wine.
set(QVX_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
