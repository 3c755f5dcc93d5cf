ts_add_test(NAME tst_formencoder SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_formencoder.cpp LIBS ts_webview)
ts_add_test(NAME tst_bodycapture SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_bodycapture.cpp
            LIBS ts_webview ts_testsupport DISPLAY TIMEOUT 600)
ts_add_test(NAME tst_postfuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_postfuzz.cpp
            LIBS ts_webview ts_testsupport DISPLAY TIMEOUT 300)
