# Cross build for Windows with the posix-thread mingw-w64 compilers: i686,
# as Windows 95 programs are, or x86_64 on hosts that run no 32-bit code
# (ZELBR_ARCH, from scripts/env.sh).
if(NOT ZELBR_ARCH)
    set(ZELBR_ARCH "$ENV{ZELBR_ARCH}")
endif()
if(NOT ZELBR_ARCH)
    set(ZELBR_ARCH i686)
endif()
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZELBR_ARCH)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZELBR_ARCH})
set(CMAKE_C_COMPILER ${ZELBR_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELBR_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${ZELBR_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZELBR_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows 95 machines: the 486 and the Pentium. The compiler's default is the
# Pentium Pro (CMOV, FCOMI).
if(ZELBR_ARCH STREQUAL "i686")
    set(CMAKE_C_FLAGS_INIT "-march=i486 -mtune=pentium")
    set(CMAKE_CXX_FLAGS_INIT "-march=i486 -mtune=pentium")
endif()
