# Netpeek.exe as shipped: a 32-bit Win32 program.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(NETPEEK_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
