# Cross-compiling for 64-bit Windows with MinGW-w64 (the distribution's
# gcc/g++-mingw-w64-x86-64-posix: the POSIX thread model, which std::thread
# and std::mutex need). Programs and test programs run under Wine when it is
# installed: it becomes the emulator CTest and build-time tools go through.
#
#   cmake -S . -B build-windows -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DQB41_QT=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QB41_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${QB41_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QB41_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QB41_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QB41_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages (GoogleTest built with this toolchain) come from CMAKE_PREFIX_PATH
# or <Package>_DIR as given, outside the root path.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(QB41_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
    if(QB41_WINE)
        # Wine keeps Windows file names in the character set of the Linux
        # locale: a UTF-8 one holds every name (under LC_ALL=C only ASCII).
        set(CMAKE_CROSSCOMPILING_EMULATOR env LC_ALL=C.UTF-8 ${QB41_WINE})
    endif()
endif()
