ts_add_test(NAME tst_placementtext SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_placementtext.cpp LIBS ts_placement)
ts_add_test(NAME tst_placement SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_placement.cpp LIBS ts_placement)
ts_add_test(NAME tst_placementhook SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_placementhook.cpp LIBS ts_placement)
