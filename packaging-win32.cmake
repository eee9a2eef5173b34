# The Windows download: a zip per architecture with the program, the README as a text file
# with CR LF line ends, and the genre page, all in one folder:
#   cmake --build build-win/x86_64 --target package  ->  package/velkor-<version>-win64.zip
install(TARGETS velkor RUNTIME DESTINATION .)
# Notepad of older Windows shows LF-only text as one line.
file(READ ${PROJECT_SOURCE_DIR}/README.md velkor_readme)
string(REPLACE "\n" "\r\n" velkor_readme "${velkor_readme}")
file(WRITE ${PROJECT_BINARY_DIR}/README.txt "${velkor_readme}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS README.md)
install(FILES ${PROJECT_BINARY_DIR}/README.txt res/id3genres.html res/id3genres.ru.html res/id3genres.css
        res/id3genres.js DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME velkor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_SYSTEM_NAME win32)
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/package)
include(CPack)
