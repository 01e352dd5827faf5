# The program has one version, project()'s: the about box, --version, the manual pages and the
# package take it from there. The metainfo's releases and the changelog keep each release's date
# and notes, so they are written by hand; their newest entry must name that version, or the
# configuration stops here rather than ship a package that gives two.
set(zandrel_metainfo ${PROJECT_SOURCE_DIR}/res/org.zandrel.Zandrel.metainfo.xml)
set(zandrel_changelog ${PROJECT_SOURCE_DIR}/res/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${zandrel_metainfo} ${zandrel_changelog})

file(READ ${zandrel_metainfo} zandrel_text)
string(REGEX MATCH "<release version=\"([^\"]*)\"" zandrel_match "${zandrel_text}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "The newest release in ${zandrel_metainfo} is '${CMAKE_MATCH_1}', "
                      "not the project's version ${PROJECT_VERSION}")
endif()
file(STRINGS ${zandrel_changelog} zandrel_text LIMIT_COUNT 1)
string(REGEX MATCH "^zandrel \\(([^)]*)\\)" zandrel_match "${zandrel_text}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "The newest entry in ${zandrel_changelog} is '${CMAKE_MATCH_1}', "
                      "not the project's version ${PROJECT_VERSION}")
endif()
