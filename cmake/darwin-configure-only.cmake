# CMake toolchain for checking the macOS build's generated files on a machine
# without a macOS SDK: Darwin as the target system, clang as the compilers, and
# the compilers taken as working, since nothing can be linked for macOS here.
# Good for configuring only; a Mac (or a cross toolchain with an SDK) builds.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET x86_64-apple-darwin)
set(CMAKE_CXX_COMPILER_TARGET x86_64-apple-darwin)
set(CMAKE_C_COMPILER_WORKS TRUE)
set(CMAKE_CXX_COMPILER_WORKS TRUE)
# No SDK: the sysroot stays empty and packages are found on this machine.
set(CMAKE_OSX_SYSROOT "" CACHE PATH "" FORCE)
set(Boost_NO_BOOST_CMAKE ON CACHE BOOL "")
