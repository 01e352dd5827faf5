# Install-time script (cmake/Packaging.cmake): when the install strips, also drop the binaries'
# .comment section, as Debian's strip does. ZANDREL_OBJCOPY comes from the build's configuration.
if(NOT CMAKE_INSTALL_DO_STRIP)
  return()
endif()
foreach(program zandrel zandrel-demo)
  set(file "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/${program}")
  if(EXISTS "${file}")
    execute_process(COMMAND "${ZANDREL_OBJCOPY}" --remove-section=.comment "${file}" COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
