# Cross build for 32-bit Windows (PE32, i386) with the mingw-w64 compilers of
# the posix thread model (std::mutex and std::thread, which GoogleTest needs).
#
# MINGW_TRIPLET may be preset (cmake/toolchain_mingw_x86_64.cmake does) to
# build the same tree for 64-bit Windows.
if(NOT MINGW_TRIPLET)
  set(MINGW_TRIPLET i686-w64-mingw32)
  set(CMAKE_SYSTEM_PROCESSOR i686)
  set(WINE_PROGRAM wine)
endif()
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
set(MINGW_OBJDUMP ${MINGW_TRIPLET}-objdump)

# Libraries and headers of the target only, programs of the build machine only.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program and DLL carries the runtime (libgcc, libstdc++, winpthread), so
# it needs nothing beyond Windows' own DLLs and the stand-in Movara.
set(runtime_static_flags "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${runtime_static_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${runtime_static_flags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${runtime_static_flags}")

# Test programs start through Wine, in a prefix of their own in the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/wine_run.sh ${WINE_PROGRAM} ${CMAKE_BINARY_DIR}/wine_prefix)

# The command-line host's header-only libraries come from the build machine.
if(CMAKE_BINARY_DIR AND NOT CMAKE_BINARY_DIR MATCHES "CMakeFiles/CMakeScratch|CMakeTmp")
  include(${CMAKE_CURRENT_LIST_DIR}/cross_header_packages.cmake)
endif()
