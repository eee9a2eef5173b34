# Whole runs of velkor against the system-call floor and an ID3 v1 peer:
#   cmake --build build --target bench_entries
add_executable(syscall_floor ${CMAKE_CURRENT_LIST_DIR}/syscall_floor.cc)
add_custom_target(bench_entries
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/entry_bench.py $<TARGET_FILE:velkor> $<TARGET_FILE:syscall_floor>
  DEPENDS velkor syscall_floor
  USES_TERMINAL)
