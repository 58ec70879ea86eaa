# Shared part of the MinGW-w64 toolchains; the including file sets NETPEEK_MINGW_TRIPLET.
# The -posix compilers are used because GoogleTest needs std::mutex.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${NETPEEK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NETPEEK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${NETPEEK_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${NETPEEK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test executables run under Wine; the wrapper sets up the prefix and keeps Wine quiet.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
