# Installation and the Debian package. `make install` (PREFIX, DESTDIR) and `make package` share
# these rules: the game in bin (the package moves it to /usr/games, package_layout.cmake), its
# Skin folder in share/brakkon (the game looks there, beside ../share from its own folder), the
# desktop entry, the icons, the AppStream metainfo, the manual page and the copyright notices.
# The version comes from project(VERSION) alone.
include(GNUInstallDirs)

# The project has no domain of its own yet: its home page and its AppStream ID (a reversed domain
# name, which software centres keep for good) use the reserved .example name until it has one.
set(BRAKKON_HOMEPAGE "https://brakkon.example/")
set(BRAKKON_APPSTREAM_ID example.brakkon.Brakkon)
set(pkg_metainfo ${BRAKKON_APPSTREAM_ID}.metainfo.xml)
set(BRAKKON_MAINTAINER "The Brakkon maintainers <maintainers@brakkon.example>")
# The copyright file of the Debian package whose DejaVu Sans tools/CMakeLists.txt embeds.
set(BRAKKON_EMBEDDED_FONT_COPYRIGHT /usr/share/doc/fonts-dejavu-core/copyright)

set(pkg_dir ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${pkg_dir})

# Dates of this version, for the manual page, the metainfo release and the Debian changelog.
execute_process(COMMAND date -u -R -d "${BRAKKON_RELEASE_DATE} 00:00:00"
                OUTPUT_VARIABLE BRAKKON_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE date_result)
if(NOT date_result EQUAL 0)
  message(FATAL_ERROR "BRAKKON_RELEASE_DATE is not a date: ${BRAKKON_RELEASE_DATE}")
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/brakkon.6.in ${pkg_dir}/brakkon.6 @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${pkg_dir}/changelog @ONLY)

# Compressed without a name or a time stamp, so the bytes depend on the text alone.
foreach(doc brakkon.6 changelog)
  add_custom_command(
    OUTPUT ${pkg_dir}/${doc}.gz
    COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${pkg_dir}/${doc} ${pkg_dir}/${doc}.gz
    DEPENDS ${pkg_dir}/${doc}
    COMMENT "Compressing ${doc}"
    VERBATIM)
endforeach()

# The copyright file and the metainfo name the fonts the build actually bundled: the menu font's
# licence is read from the Skin folder the art generators wrote.
set(font_licence ${BRAKKON_SKIN_DIR}/Fonts/font-licence.txt)
add_custom_command(
  OUTPUT ${pkg_dir}/copyright ${pkg_dir}/${pkg_metainfo}
  COMMAND ${CMAKE_COMMAND}
          -DGAME_NOTICE=${CMAKE_CURRENT_LIST_DIR}/copyright.in
          -DMENU_FONT_COPYRIGHT=${font_licence}
          -DEMBEDDED_FONT_COPYRIGHT=${BRAKKON_EMBEDDED_FONT_COPYRIGHT}
          -DMETAINFO_IN=${CMAKE_CURRENT_LIST_DIR}/brakkon.metainfo.xml.in
          -DPROJECT_VERSION=${PROJECT_VERSION}
          -DBRAKKON_RELEASE_DATE=${BRAKKON_RELEASE_DATE}
          -DBRAKKON_HOMEPAGE=${BRAKKON_HOMEPAGE}
          -DBRAKKON_MAINTAINER=${BRAKKON_MAINTAINER}
          -DOUT_DIR=${pkg_dir}
          -DMETAINFO=${pkg_metainfo}
          -DBRAKKON_APPSTREAM_ID=${BRAKKON_APPSTREAM_ID}
          -P ${CMAKE_CURRENT_LIST_DIR}/notices.cmake
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/notices.cmake ${CMAKE_CURRENT_LIST_DIR}/copyright.in
          ${CMAKE_CURRENT_LIST_DIR}/brakkon.metainfo.xml.in ${BRAKKON_ASSET_DIR}/.gen_skin.stamp
  COMMENT "Writing the copyright file and the AppStream metainfo"
  VERBATIM)
add_custom_target(packaging_files ALL DEPENDS
  ${pkg_dir}/brakkon.6.gz ${pkg_dir}/changelog.gz ${pkg_dir}/copyright ${pkg_dir}/${pkg_metainfo})
add_dependencies(packaging_files gen_skin_run)

# The metainfo's screenshots, taken from the game headless, for the home page to serve at the
# addresses the metainfo gives: `cmake --build build --target metainfo_screenshots`.
set(pkg_shots ${pkg_dir}/screenshots)
set(pkg_shot_env ${CMAKE_COMMAND} -E env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy)
add_custom_target(metainfo_screenshots
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${pkg_shots}/data
  COMMAND ${CMAKE_COMMAND} -E make_directory ${pkg_shots}/data
  COMMAND ${pkg_shot_env} $<TARGET_FILE:brakkon> --headless --frames 240
          --data-dir ${pkg_shots}/data --screenshot ${pkg_shots}/main-menu.png
  COMMAND ${pkg_shot_env} $<TARGET_FILE:brakkon> --headless --level 3 --frames 160
          --input ${CMAKE_CURRENT_LIST_DIR}/screenshot-level.input --data-dir ${pkg_shots}/data
          --screenshot ${pkg_shots}/level.png
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${pkg_shots}/data
  DEPENDS brakkon
  COMMENT "Taking the metainfo's screenshots into ${pkg_shots}"
  VERBATIM)

install(TARGETS brakkon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${BRAKKON_SKIN_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/brakkon/Skin)
install(FILES ${PROJECT_SOURCE_DIR}/tools/icon/brakkon.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${BRAKKON_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons
        PATTERN ".*" EXCLUDE)
install(FILES ${pkg_dir}/${pkg_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${pkg_dir}/brakkon.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${pkg_dir}/copyright ${pkg_dir}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brakkon)

# The Debian package (`make package`): brakkon_<version>_<arch>.deb, its dependencies computed
# from the program by dpkg-shlibdeps. It has no maintainer scripts: installing and removing it
# touches the files it lists and nothing else, players' progress files least of all.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brakkon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${BRAKKON_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "physics puzzle: fire ragdolls from a cannon at a target")
# CPack puts the summary above this text, the package's first description line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A cannon sits in the corner of every level: aim it with the mouse, click to
fire a floppy ragdoll, and keep firing until one of them touches the level's
target. Planks, crates, balls, chains, sliding and turning platforms and
portals stand in the way.
.
There are 170 levels; the game remembers which ones were opened and the
fewest shots needed for each. Pictures, sounds, music and levels are all made
for the game and embedded in one program.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${BRAKKON_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package_layout.cmake)
include(CPack)
