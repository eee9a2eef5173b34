# The genre reference page, embedded byte for byte in the executable.
add_library(velkor_embedded_pages INTERFACE)

# Rewrites the name-ordered tables of id3genres.js after a change of its genre list.
add_custom_target(update_genre_tables
  COMMAND genre_tables ${CMAKE_CURRENT_SOURCE_DIR}/id3genres.js ${CMAKE_CURRENT_SOURCE_DIR}/id3genres.js
  COMMENT "Deriving genresSorted and genresIndex of id3genres.js from genresList")
