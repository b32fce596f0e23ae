# Installing and packaging, as any Linux desktop program:
#   bin/                      vesk, vesk-tool, vesk-build
#   share/vesk/               the user manual and the start-up picture
#   share/applications/       vesk.desktop (the menu entry)
#   share/icons/hicolor/      the program's icon
# and, as a separate component, the demo data folder in share/vesk, one of
# the places both programs look for their data (after --data and the folder
# beside the executable: vesk/ in $XDG_DATA_HOME, then in $XDG_DATA_DIRS).
#
#   cmake --install build --prefix /usr/local
#   cpack --config build/CPackConfig.cmake -B build/packages   # two .deb files
#
# The demo data is taken from VESK_DEMO_DATA_DIR, which scripts/make-demo-data.sh
# fills (build/demo-data); without it the data package is empty.
include(GNUInstallDirs)

set(VESK_DEMO_DATA_DIR "${CMAKE_BINARY_DIR}/demo-data" CACHE PATH
    "Data folder installed by the demo-data component")
set(VESK_SHARE_DIR "${CMAKE_INSTALL_DATADIR}/vesk")

install(TARGETS vesk-tool vesk-build RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
if(TARGET vesk)
  install(TARGETS vesk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
  install(FILES
    ${PROJECT_SOURCE_DIR}/resources/help/help.html
    ${PROJECT_SOURCE_DIR}/resources/bitmaps/splash.png
    DESTINATION ${VESK_SHARE_DIR} COMPONENT program)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/vesk.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT program)
  foreach(size 16 32 48 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/bitmaps/app_icon_${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
      RENAME vesk.png COMPONENT program)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/resources/art/app_icon.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME vesk.svg COMPONENT program)
endif()

# The pair and page-count files go with the generation marker that lists
# them: searches use them only under it (docs/formats.md, "Optional files").
foreach(name kav.dir yitizi.txt Index-fl.h Index-fl.cnt Index-idx.h Index-idx.m
             Index_content-idx.h Index_content-idx.m Index_desc-idx.h Index_desc-idx.m
             Index-idx.pairs Index_content-idx.pairs Index_desc-idx.pairs
             Index-idx.counts Index_content-idx.counts Index_desc-idx.counts vesk-generation)
  install(FILES ${VESK_DEMO_DATA_DIR}/${name} DESTINATION ${VESK_SHARE_DIR}
    COMPONENT demodata OPTIONAL)
endforeach()

# Two Debian packages: the program, and the demo data it needs to start
# into something to read. The program asks for any package that provides
# "vesk-data", so another corpus can take the demo's place.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vesk)
set(CPACK_PACKAGE_VENDOR "vesk developers")
set(CPACK_PACKAGE_CONTACT "vesk developers <vesk@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL program demodata)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION text)

set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME vesk)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "vesk-data")
set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS "fonts-noto-cjk, fonts-hanazono, qt6-translations-l10n")
# First line: the summary; the rest: the long description.
string(CONCAT CPACK_DEBIAN_PROGRAM_DESCRIPTION
    "Reader and full-text search for classical Chinese texts\n"
    "A desktop reader for a corpus of classical Chinese texts: keyword search\n"
    "with wildcards and variant characters, hit pages, reading by page and\n"
    "volume; with the command-line tools vesk-tool and vesk-build.")

set(CPACK_DEBIAN_DEMODATA_PACKAGE_NAME vesk-demo-data)
set(CPACK_DEBIAN_DEMODATA_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_DEMODATA_PACKAGE_PROVIDES "vesk-data")
string(CONCAT CPACK_DEBIAN_DEMODATA_DESCRIPTION
    "Demo corpus for the vesk reader\n"
    "A small corpus of classical Chinese poetry with its full-text index,\n"
    "installed where the reader looks for its data.")

include(CPack)
