ts_add_bench(NAME bench_output SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_output.cpp LIBS ts_urllist)
