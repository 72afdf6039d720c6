# Cross-compiles the Windows programs with clang for the same target as the
# mingw-w64 toolchain: lld links, and the C++ library is mingw-w64's
# libstdc++ of the posix-thread g++ (its headers, its libraries, winpthread).
# A second compiler keeps the code free of one compiler's habits.
include(${CMAKE_CURRENT_LIST_DIR}/windows-target.cmake)

set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${_triple})
set(CMAKE_CXX_COMPILER_TARGET ${_triple})
set(CMAKE_RC_COMPILER ${_triple}-windres)

# The posix g++'s library folder, e.g. /usr/lib/gcc/x86_64-w64-mingw32/12-posix.
file(GLOB _gcc_dirs LIST_DIRECTORIES true /usr/lib/gcc/${_triple}/*-posix)
if(NOT _gcc_dirs)
  message(FATAL_ERROR "No posix mingw-w64 g++ under /usr/lib/gcc/${_triple} (package g++-mingw-w64-x86-64-posix)")
endif()
list(SORT _gcc_dirs COMPARE NATURAL ORDER DESCENDING)
list(GET _gcc_dirs 0 _gcc)
# mingw-w64's g++ and its libstdc++ keep thread-local variables through
# emulated TLS (std::call_once's, for one): clang must do the same to link
# against them.
set(CMAKE_CXX_FLAGS_INIT "-femulated-tls -isystem ${_gcc}/include/c++ -isystem ${_gcc}/include/c++/${_triple}")
set(CMAKE_C_FLAGS_INIT "-femulated-tls")
# lld takes archives in any order: winpthread may come first.
# libstdc++ 12 defines std::type_info::operator== out of line in its static
# library, while clang also emits the inline C++20 definition into every
# object that compares types: both are the same function, so lld may keep one.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${_gcc} -lwinpthread -Wl,--allow-multiple-definition")
