ts_add_test(NAME tst_listgrid SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_listgrid.cpp LIBS ts_urllist)
ts_add_test(NAME tst_listgridwidget SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_listgridwidget.cpp LIBS ts_urllist)
ts_add_test(NAME tst_listgridaccessible SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_listgridaccessible.cpp LIBS ts_urllist ACCESSIBILITY)
