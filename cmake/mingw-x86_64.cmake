# The same sources as a 64-bit program, for machines whose kernel runs no 32-bit code
# and so can only run Wine's 64-bit loader.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(NETPEEK_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
