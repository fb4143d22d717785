# The Debian package of the reader (`cpack -G DEB` in the build folder): the program, its
# desktop entry, its icon in the hicolor theme and its AppStream data. Only the "reader"
# component goes in; the demo feed server and its data have no place on a member's machine.
include(GNUInstallDirs)

set(ZR_APP_ID cz.zelton.ZeltonReader)
set(ZR_ICON_SIZES 16 32 48 64 128 256)

# The PNGs are drawn at build time by the code that paints the window icon.
add_executable(zelton-icon-pngs packaging/IconPngs.cpp src/app/ToolbarGlyphs.cpp)
target_include_directories(zelton-icon-pngs PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(zelton-icon-pngs PRIVATE Qt6::Gui)
zr_warnings(zelton-icon-pngs)

set(ZR_ICON_FOLDER ${CMAKE_BINARY_DIR}/packaging/icons)
set(ZR_ICON_PNGS)
foreach(size IN LISTS ZR_ICON_SIZES)
  list(APPEND ZR_ICON_PNGS ${ZR_ICON_FOLDER}/${size}x${size}/apps/${ZR_APP_ID}.png)
endforeach()
add_custom_command(OUTPUT ${ZR_ICON_PNGS}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:zelton-icon-pngs> ${ZR_ICON_FOLDER} ${ZR_APP_ID} ${ZR_ICON_SIZES}
  DEPENDS zelton-icon-pngs
  COMMENT "Drawing the program icon's PNGs")
add_custom_target(zelton-icons ALL DEPENDS ${ZR_ICON_PNGS})

configure_file(packaging/${ZR_APP_ID}.metainfo.xml.in ${CMAKE_BINARY_DIR}/packaging/${ZR_APP_ID}.metainfo.xml @ONLY)

install(FILES packaging/${ZR_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT reader)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${ZR_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT reader)
install(FILES packaging/${ZR_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT reader)
install(DIRECTORY ${ZR_ICON_FOLDER}/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor COMPONENT reader)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zeltonreader)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Zelton)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Čtečka zpráv, informací a kontaktů organizace")
set(CPACK_PACKAGE_DESCRIPTION
    "Načítá informační kanál organizace a ukazuje jeho zprávy jako karty, stránku informací a kontakty; když server není dostupný, ukáže poslední přečtený kanál.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)

# One package holding only the reader's component.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL reader)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)

set(CPACK_DEBIAN_PACKAGE_NAME zeltonreader)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ZeltonReader <zeltonreader@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# The libraries the program links are found by dpkg-shlibdeps; the rest is what it loads at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, qt6-translations-l10n")

include(CPack)
