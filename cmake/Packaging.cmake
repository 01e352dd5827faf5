# A Debian package with CPack: cpack -G DEB in a build folder gives zandrel_<version>_<arch>.deb,
# with the program, the demo chat service as a second binary, the desktop entry, the icon in the
# hicolor theme, the AppStream metainfo, the manual pages, and its dependencies found by
# dpkg-shlibdeps. scripts/package.sh builds it with Debian's hardening flags.
include(${CMAKE_CURRENT_LIST_DIR}/ManPages.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ReleaseVersion.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/Icons.cmake)
install(FILES ${PROJECT_SOURCE_DIR}/res/org.zandrel.Zandrel.metainfo.xml DESTINATION share/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/res/copyright DESTINATION share/doc/zandrel)
# Debian wants the changelog compressed, the same bytes every build.
set(ZANDREL_CHANGELOG_GZ ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${ZANDREL_CHANGELOG_GZ}
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/res/changelog > ${ZANDREL_CHANGELOG_GZ}
  DEPENDS ${PROJECT_SOURCE_DIR}/res/changelog VERBATIM)
add_custom_target(zandrel_changelog ALL DEPENDS ${ZANDREL_CHANGELOG_GZ})
install(FILES ${ZANDREL_CHANGELOG_GZ} DESTINATION share/doc/zandrel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zandrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zandrel developers <developers@zandrel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chat overlay for live streamers")
# The synopsis comes from the summary; CPack indents these lines and marks the empty one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Zandrel joins the chat of a live room and shows every chat line, gift and
system notice in a small, semi-transparent, always-on-top overlay, so that a
streamer can read the audience while a full-screen game keeps the focus.
Block and highlight lists, gifts that stand out, merged repeats, read-aloud
of gifts and chosen lines, and a chat log are there to turn on.

The package also holds zandrel-demo, a demo chat service to try it with.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Read-aloud speaks through speech-dispatcher, Chinese with espeak-ng's Mandarin voice. Chat is
# mostly Chinese and full of emoji: without a CJK font and a colour emoji font it shows boxes. Qt's
# own texts (a box's "OK") are Chinese for a Chinese user only with Qt's translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-speech-speechd-plugin, speech-dispatcher, speech-dispatcher-espeak-ng, \
fonts-noto-cjk, fonts-noto-color-emoji, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# Stripping keeps the .comment section (the compilers' names and versions); Debian's strip drops
# it, and so does this script, which runs after the binaries' own install rules have stripped them.
install(CODE "set(ZANDREL_OBJCOPY \"${CMAKE_OBJCOPY}\")")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/StripComment.cmake)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
