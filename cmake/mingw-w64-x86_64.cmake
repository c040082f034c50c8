# Cross-builds the Windows program (64-bit) with MinGW-w64 and runs what it
# builds (the tests) under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TIMER_MINGW_PREFIX x86_64-w64-mingw32)
# The -posix compilers give std::thread and friends, which GoogleTest wants.
set(CMAKE_C_COMPILER ${TIMER_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TIMER_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TIMER_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TIMER_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: no MinGW runtime DLLs to ship next to it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run through Wine, in a prefix of their own inside the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
