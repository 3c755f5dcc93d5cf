ts_add_test(NAME tst_bannerpaint SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_bannerpaint.cpp LIBS ts_banner)
ts_add_test(NAME tst_bannerpanel SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_bannerpanel.cpp LIBS ts_banner)
