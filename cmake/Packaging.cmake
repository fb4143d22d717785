# The Debian package of the reader (`cpack -G DEB` in the build folder): the program, its
# desktop entry, its icon in the hicolor theme, its AppStream data, its manual page and the
# copyright and changelog Debian asks for. Only the "reader" component goes in; the demo feed
# server and its data have no place on a member's machine.
#
# Everything the package holds besides the program is made as a dependency of the program's
# own target, so `cmake --build build --target ZeltonReader` is enough before `cpack`.
# Who ships it (maintainer, licence, desktop id) is set in cmake/PackageIdentity.cmake.
include(GNUInstallDirs)

set(ZR_PACKAGE_NAME zeltonreader)
set(ZR_RELEASE_DATE 2026-12-10)
set(ZR_ICON_SIZES 16 32 48 64 128 256)
set(ZR_PACKAGING_FOLDER ${CMAKE_BINARY_DIR}/packaging)
set(ZR_PACKAGE_FILES)

# The PNGs are drawn at build time by the code that paints the window icon.
add_executable(zelton-icon-pngs packaging/IconPngs.cpp src/app/ToolbarGlyphs.cpp)
target_include_directories(zelton-icon-pngs PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(zelton-icon-pngs PRIVATE Qt6::Gui)
zr_warnings(zelton-icon-pngs)

set(ZR_ICON_FOLDER ${ZR_PACKAGING_FOLDER}/icons)
set(ZR_ICON_PNGS)
foreach(size IN LISTS ZR_ICON_SIZES)
  list(APPEND ZR_ICON_PNGS ${ZR_ICON_FOLDER}/${size}x${size}/apps/${ZR_DESKTOP_ID}.png)
endforeach()
add_custom_command(OUTPUT ${ZR_ICON_PNGS}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:zelton-icon-pngs> ${ZR_ICON_FOLDER} ${ZR_DESKTOP_ID} ${ZR_ICON_SIZES}
  DEPENDS zelton-icon-pngs
  COMMENT "Drawing the program icon's PNGs")
list(APPEND ZR_PACKAGE_FILES ${ZR_ICON_PNGS})

configure_file(packaging/ZeltonReader.desktop.in ${ZR_PACKAGING_FOLDER}/${ZR_DESKTOP_ID}.desktop @ONLY)
configure_file(packaging/ZeltonReader.metainfo.xml.in ${ZR_PACKAGING_FOLDER}/${ZR_DESKTOP_ID}.metainfo.xml @ONLY)

install(FILES ${ZR_PACKAGING_FOLDER}/${ZR_DESKTOP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT reader)
install(FILES ${ZR_PACKAGING_FOLDER}/${ZR_DESKTOP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT reader)
install(FILES packaging/ZeltonReader.svg RENAME ${ZR_DESKTOP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT reader)
foreach(size IN LISTS ZR_ICON_SIZES)
  install(FILES ${ZR_ICON_FOLDER}/${size}x${size}/apps/${ZR_DESKTOP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps COMPONENT reader)
endforeach()

if(UNIX AND NOT APPLE)
  find_program(ZR_GZIP gzip REQUIRED)

  # The manual page, English and Czech, from the option table --help is made of.
  add_executable(zelton-manual-page packaging/ManualPage.cpp src/app/CommandLine.cpp)
  target_link_libraries(zelton-manual-page PRIVATE ZeltonCommon)
  zr_warnings(zelton-manual-page)
  set(ZR_MAN_FOLDER ${ZR_PACKAGING_FOLDER}/man)
  set(ZR_MAN_PAGES ${ZR_MAN_FOLDER}/man1/ZeltonReader.1 ${ZR_MAN_FOLDER}/cs/man1/ZeltonReader.1)
  # gzip -n leaves out the name and time, so the same page gives the same bytes.
  add_custom_command(OUTPUT ${ZR_MAN_FOLDER}/man1/ZeltonReader.1.gz ${ZR_MAN_FOLDER}/cs/man1/ZeltonReader.1.gz
    COMMAND zelton-manual-page ${ZR_MAN_FOLDER} ${FEED_BASE_URL} ${ZR_RELEASE_DATE}
    COMMAND ${ZR_GZIP} -9nf ${ZR_MAN_PAGES}
    DEPENDS zelton-manual-page
    COMMENT "Writing the manual page"
    VERBATIM)
  list(APPEND ZR_PACKAGE_FILES ${ZR_MAN_FOLDER}/man1/ZeltonReader.1.gz ${ZR_MAN_FOLDER}/cs/man1/ZeltonReader.1.gz)
  install(FILES ${ZR_MAN_FOLDER}/man1/ZeltonReader.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT reader)
  install(FILES ${ZR_MAN_FOLDER}/cs/man1/ZeltonReader.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/cs/man1 COMPONENT reader)

  # The copyright file in Debian's machine-readable format, holding the licence's text, and
  # the changelog kept in packaging/, compressed.
  set(ZR_DOC_FOLDER ${ZR_PACKAGING_FOLDER}/doc)
  # Each line of the licence's text indented by one space, an empty one written as " .".
  file(READ ${ZR_LICENSE_FILE} ZR_LICENSE_TEXT)
  string(STRIP "${ZR_LICENSE_TEXT}" ZR_LICENSE_TEXT)
  string(REPLACE "\n" "\n " ZR_LICENSE_TEXT " ${ZR_LICENSE_TEXT}")
  string(REGEX REPLACE "\n +\n" "\n .\n" ZR_LICENSE_TEXT "${ZR_LICENSE_TEXT}")
  string(REGEX REPLACE "\n +\n" "\n .\n" ZR_LICENSE_TEXT "${ZR_LICENSE_TEXT}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ZR_LICENSE_FILE})
  configure_file(packaging/copyright.in ${ZR_DOC_FOLDER}/copyright @ONLY)
  configure_file(packaging/changelog ${ZR_DOC_FOLDER}/changelog @ONLY)
  add_custom_command(OUTPUT ${ZR_DOC_FOLDER}/changelog.gz
    COMMAND ${ZR_GZIP} -9nkf ${ZR_DOC_FOLDER}/changelog
    DEPENDS ${ZR_DOC_FOLDER}/changelog
    COMMENT "Compressing the changelog"
    VERBATIM)
  list(APPEND ZR_PACKAGE_FILES ${ZR_DOC_FOLDER}/changelog.gz)
  install(FILES ${ZR_DOC_FOLDER}/copyright ${ZR_DOC_FOLDER}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${ZR_PACKAGE_NAME} COMPONENT reader)
endif()

add_custom_target(zelton-package-files DEPENDS ${ZR_PACKAGE_FILES})
add_dependencies(ZeltonReader zelton-package-files)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ZR_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Zelton)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Čtečka zpráv, informací a kontaktů organizace")
# Debian shows the long description as it is: lines of at most 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Načítá informační kanál organizace a ukazuje jeho zprávy jako karty,"
  "stránku informací a kontakty; když server není dostupný, ukáže poslední"
  "přečtený kanál.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)

# One package holding only the reader's component.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL reader)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)

set(CPACK_DEBIAN_PACKAGE_NAME ${ZR_PACKAGE_NAME})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZR_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# The libraries the program links are found by dpkg-shlibdeps; the rest is what it loads at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, qt6-translations-l10n")

include(CPack)
