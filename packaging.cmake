# Installing like any Linux tool, and the Debian package built from that installation:
#   cmake --install build [--prefix DIR]      cmake --build build --target package
include(GNUInstallDirs)
install(TARGETS velkor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${velkor_man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The genre page opens in a browser straight from the documentation folder.
install(FILES README.md res/id3genres.html res/id3genres.ru.html res/id3genres.css res/id3genres.js
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velkor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch renamer and ID3 v1.1 tagger driven by XML job files")
set(CPACK_PACKAGE_CONTACT "The Velkor developers <velkor@localhost>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# The Depends line comes from the libraries the binary links (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/package)
include(CPack)
