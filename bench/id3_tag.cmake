# Probing and tagging cost the same for a large file as for a small one: only the last
# 128 bytes are read and one 128-byte block is written.
#   cmake --build build --target bench_id3_tag
add_executable(id3_tag_bench ${CMAKE_CURRENT_LIST_DIR}/id3_tag_bench.cc)
target_link_libraries(id3_tag_bench PRIVATE velkor_core)
add_custom_target(bench_id3_tag COMMAND id3_tag_bench DEPENDS id3_tag_bench USES_TERMINAL)
