# What `cmake --install <build> --prefix <prefix>` puts in place: the program and its command
# client in bin/, the matrix configuration it loads at each connection in share/kvl52110/, the
# desktop entry, the icon in the hicolor theme, and the udev rule for the board's USB serial
# port. A small DEB package of the same files: `cpack -G DEB` in a release
# build tree.
include(GNUInstallDirs)

set(KVL_LINUX_DIR ${PROJECT_SOURCE_DIR}/resources/linux)
set(KVL_ICON_DIR ${PROJECT_SOURCE_DIR}/resources/icon)

install(TARGETS kvl52110 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET kvl52110-cli)
    install(TARGETS kvl52110-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The program reads these when its working directory has no configuration/ of its own.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/configuration DESTINATION ${KVL_INSTALL_DATADIR})
install(FILES ${KVL_LINUX_DIR}/kvl52110.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KVL_ICON_DIR}/program.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME kvl52110.png)
install(FILES ${KVL_ICON_DIR}/program-256.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps RENAME kvl52110.png)
# udev reads lib/udev/rules.d under /usr (and /etc/udev/rules.d), whatever the prefix.
install(FILES ${KVL_LINUX_DIR}/70-kvl52110.rules DESTINATION lib/udev/rules.d)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kvl52110)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Evaluation program for KVL52110 LED driver boards")
set(CPACK_PACKAGE_CONTACT "KVL52110 developers")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Wayland platform: on a Wayland desktop the program runs natively, as it is tested, never
# through XWayland only because the platform is missing (the libraries' own dependencies name
# the X11 platform alone).
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-wayland)
# The forms' font, and the interpreter of the "script" port.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-wine)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS python3)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
