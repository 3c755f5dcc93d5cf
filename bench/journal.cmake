ts_add_bench(NAME bench_journal SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/bench_journal.cpp LIBS ts_journal)
