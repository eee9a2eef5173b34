# The Windows program under Wine against this build, on the same job files of 100,000 and
# 1,000,000 entries: peak memory and time per entry as ratios Windows/Linux. Needs the
# 64-bit cross build; the figures go to bench_wine_entries.txt in the build folder:
#   cmake --build build --target bench_wine_entries
set(VELKOR_WINE_EXE ${PROJECT_SOURCE_DIR}/build-win/x86_64/src/velkor.exe CACHE FILEPATH
    "The velkor.exe that bench_wine_entries runs under Wine")
add_custom_target(bench_wine_entries
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/wine_entries.py $<TARGET_FILE:velkor> ${VELKOR_WINE_EXE}
          $<TARGET_FILE:reader_bench> --output ${CMAKE_BINARY_DIR}/bench_wine_entries.txt
  DEPENDS velkor reader_bench
  USES_TERMINAL)
