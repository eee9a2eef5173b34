# The manual page, filled in from its template with the version and the genre list of
# id3genres.js.
set(velkor_man_page ${CMAKE_CURRENT_BINARY_DIR}/velkor.1)
add_custom_command(
  OUTPUT ${velkor_man_page}
  COMMAND man_page ${CMAKE_CURRENT_SOURCE_DIR}/velkor.1.in ${CMAKE_CURRENT_SOURCE_DIR}/id3genres.js
          ${PROJECT_VERSION} ${velkor_man_page}
  DEPENDS man_page ${CMAKE_CURRENT_SOURCE_DIR}/velkor.1.in ${CMAKE_CURRENT_SOURCE_DIR}/id3genres.js
  COMMENT "Writing the manual page velkor.1")
add_custom_target(velkor_man_page ALL DEPENDS ${velkor_man_page})
set(velkor_man_page ${velkor_man_page} PARENT_SCOPE)
