ts_add_bench(NAME bench_grid SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_grid.cpp LIBS ts_urllist ts_journal)
