# What a user installs, and the packages made of it with CPack:
#   Windows (MinGW presets): target "package" gives tcpmodcfg-<version>-win32.zip (win64 for
#     the 64-bit preset): the two programs, our MivexAdv.dll and README.txt in one folder.
#   Linux: "cmake --install" puts the programs in bin/, our MivexAdv in lib/tcpmodcfg/ (the
#     programs find it through their RPATH), a desktop entry and the icon in the hicolor
#     theme; "cpack -G DEB" makes a Debian package of that.
# The simulator is a developer's tool and is not installed.

set(CPACK_PACKAGE_NAME tcpmodcfg)
set(CPACK_PACKAGE_VENDOR "tcpmodcfg developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Finds serial-to-Ethernet modules on the LAN and edits their configuration")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "tcpmodcfg finds serial-to-Ethernet modules (TCP modules) on the local network, by its own UDP\n"
    "broadcast probe and through the maker's device library MivexAdv, reads one module's whole\n"
    "configuration (network and serial settings) into a settings dialog and writes it back.\n"
    "tcpmodctl does the same from the command line, and copies a configuration onto many modules.\n"
    "A stand-in MivexAdv library is included; the maker's can take its place.")
set(CPACK_PACKAGE_CHECKSUM SHA256)
# "package_source": the sources without the build trees.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\.git$" "/\\.git/" "/build/" "/build-[^/]*/" "\\.swp$")

if(WIN32)
    # Everything side by side: the program binds MivexAdv.dll from its own folder at start.
    set(programs tcpmodcfg tcpmodctl MivexAdv)
    foreach(program IN LISTS programs)
        if(TARGET ${program})
            install(TARGETS ${program} RUNTIME DESTINATION .)
        endif()
    endforeach()
    # Notepad on any Windows reads it: UTF-8 with a byte order mark, CRLF line ends.
    math(EXPR TCPMOD_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
    configure_file(${PROJECT_SOURCE_DIR}/packaging/README.txt ${PROJECT_BINARY_DIR}/packaging/README.txt @ONLY
                   NEWLINE_STYLE CRLF)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/README.txt DESTINATION .)

    if(TCPMOD_BITS EQUAL 32)
        set(CPACK_SYSTEM_NAME win32)
    else()
        set(CPACK_SYSTEM_NAME win64)
    endif()
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
else()
    include(GNUInstallDirs)
    # A private library, not one for other programs to link: its own folder, found by RPATH.
    set(privateLibDir lib/tcpmodcfg)
    install(TARGETS MivexAdv LIBRARY DESTINATION ${privateLibDir})
    foreach(program tcpmodcfg tcpmodctl)
        if(TARGET ${program})
            set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/../${privateLibDir}")
            install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
        endif()
    endforeach()
    if(TARGET tcpmodcfg)
        install(FILES ${PROJECT_SOURCE_DIR}/packaging/tcpmodcfg.desktop
                DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
        foreach(size 16 24 32 48 256)
            install(FILES ${PROJECT_SOURCE_DIR}/icons/tcpmodcfg-${size}.png
                    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tcpmodcfg.png)
        endforeach()
        install(FILES ${PROJECT_SOURCE_DIR}/icons/tcpmodcfg.svg
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    endif()

    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "tcpmodcfg developers")
    set(CPACK_DEBIAN_PACKAGE_SECTION net)
    # The libraries' packages, as dpkg-shlibdeps finds them; our MivexAdv is in the package.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # The window is in Chinese: a font with its glyphs.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei")
endif()

include(CPack)
