ts_add_bench(NAME bench_banner SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_banner.cpp LIBS ts_banner)
