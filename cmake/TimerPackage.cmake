# The Debian package of the Linux program (`make deb`): what goes in beside
# the program, and CPack's DEB generator with computed run-time dependencies.
include(GNUInstallDirs)

set(TIMER_PACKAGE_NAME tovins-timer)
set(TIMER_MAINTAINER "Tovin's Timer team <maintainers@users.noreply.c-seed-e99028a0.example>")
# The help names this folder as the guide's place; the two must agree.
set(TIMER_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${TIMER_PACKAGE_NAME})
set(linux_resources ${PROJECT_SOURCE_DIR}/resources/linux)
set(metainfo org.example.tovins_timer.metainfo.xml)

configure_file(${linux_resources}/${metainfo} ${CMAKE_BINARY_DIR}/package/${metainfo} @ONLY)
configure_file(${linux_resources}/tovins-timer.1 ${CMAKE_BINARY_DIR}/package/tovins-timer.1 @ONLY)
configure_file(${linux_resources}/changelog ${CMAKE_BINARY_DIR}/package/changelog @ONLY)
# Debian wants these two compressed at the highest level, without a time stamp.
set(gzipped "")
foreach(name tovins-timer.1 changelog)
  set(out ${CMAKE_BINARY_DIR}/package/${name}.gz)
  add_custom_command(OUTPUT ${out} COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/package/${name} > ${out}
                     DEPENDS ${CMAKE_BINARY_DIR}/package/${name} VERBATIM)
  list(APPEND gzipped ${out})
endforeach()
add_custom_target(package_files ALL DEPENDS ${gzipped})

install(FILES ${CMAKE_BINARY_DIR}/package/${metainfo} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/package/tovins-timer.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The guide as installed: its screenshot lies beside it there.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/README.md)
file(READ ${PROJECT_SOURCE_DIR}/README.md readme)
string(REPLACE "](resources/linux/screenshot.png)" "](screenshot.png)" readme "${readme}")
file(WRITE ${CMAKE_BINARY_DIR}/package/README.md "${readme}")
install(FILES ${CMAKE_BINARY_DIR}/package/README.md ${linux_resources}/screenshot.png ${linux_resources}/copyright
        ${CMAKE_BINARY_DIR}/package/changelog.gz DESTINATION ${TIMER_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TIMER_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGE_CONTACT ${TIMER_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "kitchen timer that wakes you with music")
set(CPACK_PACKAGE_DESCRIPTION
    "Type a number of minutes or a clock time, press Enter, and the window
caption counts down. At the alarm the program plays music without end
until you stop it: one of 26 built-in tunes, or the shuffled MP3 songs
of a folder you choose, and shows an alarm message of your own.")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The SoundFont the built-in tunes are levelled for: without one they are silent.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont")
# Native windows on a Wayland desktop (else XWayland), and a volume mixer for "v".
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, pavucontrol | pavucontrol-qt")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
