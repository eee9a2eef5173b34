# The job file reader against `xmllint --stream --noout` on generated job files of
# 10,000, 100,000 and 1,000,000 entries: time per entry and peak resident memory. Goals:
# within 1.5x xmllint's processor time, under 32 MiB at the largest job, and a peak that
# stays flat from 100,000 entries on.
# Run with `cmake --build build --target run_reader_bench`.
add_executable(reader_bench ${CMAKE_CURRENT_LIST_DIR}/reader_bench.cc ${CMAKE_CURRENT_LIST_DIR}/reader_job_generator.cc)
target_link_libraries(reader_bench PRIVATE velkor_core)
add_custom_target(run_reader_bench COMMAND reader_bench DEPENDS reader_bench USES_TERMINAL)
