# Sourced by the Windows scripts, from the checkout's top folder.
# Configures build/mingw with the mingw preset (more cmake arguments may
# follow). CMake keeps the compiler a build folder was first made with: a
# folder made with another than the toolchain's (its POSIX thread model) is
# made anew.
configure_mingw() {
    local fresh=
    grep -qs g++-win32 build/mingw/CMakeFiles/*/CMakeCXXCompiler.cmake || fresh=--fresh
    cmake --preset mingw $fresh "$@" >/dev/null
}
