# Cross-compiles the Windows programs with mingw-w64 (posix thread model).
include(${CMAKE_CURRENT_LIST_DIR}/windows-target.cmake)

set(_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_prefix}-g++-posix)
set(CMAKE_RC_COMPILER  ${_prefix}-windres)
