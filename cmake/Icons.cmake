# The icon in the hicolor theme: the SVG for every size, and PNGs at the sizes desktops look up
# first, drawn from the SVG at build time. 256 px is the hand-drawn res/zandrel.png that the
# program also embeds (app/CMakeLists.txt installs it), so it is not drawn here.
if(NOT TARGET zandrel)
  return()  # the icon is the program's; a build without it (ZANDREL_WITH_UI off) has none
endif()
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(zandrel_icon_svg ${PROJECT_SOURCE_DIR}/res/zandrel.svg)
install(FILES ${zandrel_icon_svg} DESTINATION share/icons/hicolor/scalable/apps)

set(zandrel_icon_pngs)
foreach(size 16 22 24 32 48 64 128)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size})
  add_custom_command(OUTPUT ${dir}/zandrel.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${dir}/zandrel.png ${zandrel_icon_svg}
    DEPENDS ${zandrel_icon_svg} VERBATIM)
  list(APPEND zandrel_icon_pngs ${dir}/zandrel.png)
  install(FILES ${dir}/zandrel.png DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(zandrel_icons ALL DEPENDS ${zandrel_icon_pngs})
