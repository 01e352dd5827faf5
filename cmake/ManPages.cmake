# The manual pages of zandrel and zandrel-demo, written by help2man from each program's --help and
# --version, so that they never disagree with the programs. help2man runs the built programs: a
# sanitizer build's may report at exit and fail it, and nobody packages those, so they go without.
if(ZANDREL_ASAN OR ZANDREL_TSAN OR ZANDREL_FUZZ)
  set(zandrel_man_pages_default OFF)
else()
  set(zandrel_man_pages_default ON)
endif()
option(ZANDREL_MAN_PAGES "Write the manual pages with help2man (runs the built programs)"
       ${zandrel_man_pages_default})
if(NOT ZANDREL_MAN_PAGES)
  return()
endif()
find_program(HELP2MAN help2man REQUIRED)

# zandrel_man_page(<target> <one-line description> [<include file>]): <target>.1.gz into
# share/man/man1, with the sections of the include file (help2man's --include) after the help's.
# zandrel prints its help before it opens a window; the offscreen platform keeps that true without
# a display should that ever change. The pages stay English on a machine set up in Chinese, where
# zandrel's help is Chinese: help2man runs the program in the C locale, and LANGUAGE, which Qt
# reads before the locale, goes too. help2man dates the page from SOURCE_DATE_EPOCH when it is
# set; gzip -n leaves out the time and name.
function(zandrel_man_page target description)
  set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${target}.1)
  set(include_file "")
  set(include "")
  if(ARGC GREATER 2)
    set(include_file ${ARGV2})
    set(include --include=${include_file})
  endif()
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E env --unset=LANGUAGE LC_ALL=C QT_QPA_PLATFORM=offscreen
            ${HELP2MAN} --no-info --locale=C --name=${description} ${include} --output=${page}
            $<TARGET_FILE:${target}>
    COMMAND gzip -9nf ${page}
    DEPENDS ${target} ${include_file} VERBATIM)
  add_custom_target(${target}_man_page ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION share/man/man1)
endfunction()

if(TARGET zandrel)
  # The hotkeys, the commands for the running instance, the environment, the files, zandrel-demo.
  zandrel_man_page(zandrel "chat overlay for live streamers" ${PROJECT_SOURCE_DIR}/res/zandrel.h2m)
endif()
zandrel_man_page(zandrel-demo "demo chat service to try Zandrel with")
