# Probing and tagging cost the same for a large file as for a small one: only the last
# 128 bytes are read and one 128-byte block is written.
add_executable(id3_tag_bench ${CMAKE_CURRENT_LIST_DIR}/id3_tag_bench.cc)
target_link_libraries(id3_tag_bench PRIVATE velkor_core)
if(VELKOR_TESTS)
  add_test(NAME id3_tag_bench COMMAND id3_tag_bench)
  set_tests_properties(id3_tag_bench PROPERTIES LABELS bench)
endif()
