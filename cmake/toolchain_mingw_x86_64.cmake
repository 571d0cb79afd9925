# The same cross build for 64-bit Windows (PE32+), run under 64-bit Wine: a
# check of the code on Windows where 32-bit programs cannot be run.
set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# Debian keeps the 64-bit loader out of PATH.
if(EXISTS /usr/lib/wine/wine64)
  set(WINE_PROGRAM /usr/lib/wine/wine64)
else()
  set(WINE_PROGRAM wine64)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/toolchain_mingw_i686.cmake)
