# Every target of the project links this to get the same warnings; the build stays clean of them.
# C++ only: the C that wayland-scanner generates is not ours to keep clean.
add_library(zandrel_warnings INTERFACE)
set(zandrel_warning_flags -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Wcast-align -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
target_compile_options(zandrel_warnings INTERFACE
  "$<$<AND:$<COMPILE_LANGUAGE:CXX>,$<CXX_COMPILER_ID:GNU,Clang>>:${zandrel_warning_flags}>"
  "$<$<AND:$<COMPILE_LANGUAGE:CXX>,$<CXX_COMPILER_ID:MSVC>>:/W4>")
