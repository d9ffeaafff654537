# Cross-compiles the Windows build with Debian's mingw-w64 (package g++-mingw-w64-x86-64):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#   cmake --build build-win
# gives build-win/korvpole.exe, linked statically so that it needs only Windows' own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KORV_MINGW_TRIPLET x86_64-w64-mingw32)
# The posix thread model, as the standard library's mutexes need it with GCC 12.
find_program(CMAKE_CXX_COMPILER NAMES ${KORV_MINGW_TRIPLET}-g++-posix ${KORV_MINGW_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${KORV_MINGW_TRIPLET}-gcc-posix ${KORV_MINGW_TRIPLET}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${KORV_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KORV_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libgcc, libstdc++ or winpthread DLL beside the program on the counter.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
