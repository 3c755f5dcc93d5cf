ts_add_test(NAME tst_addressbox SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_addressbox.cpp LIBS ts_addressbox)
ts_add_test(NAME tst_addressicons SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_addressicons.cpp LIBS ts_addressbox)
