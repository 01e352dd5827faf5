# Every target of the project links this to get the same warnings; the build stays clean of them.
add_library(zandrel_warnings INTERFACE)
target_compile_options(zandrel_warnings INTERFACE
  $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
                                 -Wcast-align -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough>
  $<$<CXX_COMPILER_ID:MSVC>:/W4>)
