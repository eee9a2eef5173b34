# Whole runs of velkor against two C baselines and an ID3 v1 peer; the figures go to
# bench_entries.txt in the build folder:
#   cmake --build build --target bench_entries
add_executable(syscall_floor ${CMAKE_CURRENT_LIST_DIR}/syscall_floor.cc)
add_custom_target(bench_entries
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/entry_bench.py $<TARGET_FILE:velkor> $<TARGET_FILE:syscall_floor>
          --output ${CMAKE_BINARY_DIR}/bench_entries.txt
  DEPENDS velkor syscall_floor
  USES_TERMINAL)
