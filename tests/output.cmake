find_package(Qt6 REQUIRED COMPONENTS Core5Compat WebEngineCore)
ts_add_test(NAME tst_csvwriter SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_csvwriter.cpp
            LIBS ts_urllist ts_testsupport Qt6::Core5Compat)
ts_add_test(NAME tst_clipboardcopy SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_clipboardcopy.cpp
            LIBS ts_urllist ts_testsupport)
ts_add_test(NAME tst_clipboard_x11 SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_clipboard_x11.cpp
            LIBS ts_urllist DISPLAY TIMEOUT 120)
ts_add_test(NAME tst_htmlwriter SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_htmlwriter.cpp
            LIBS ts_urllist ts_testsupport)
ts_add_test(NAME tst_htmlwriter_browser SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_htmlwriter_browser.cpp
            LIBS ts_urllist Qt6::WebEngineCore DISPLAY TIMEOUT 180)
ts_add_test(NAME tst_curlcommand SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_curlcommand.cpp
            LIBS ts_urllist ts_webview ts_testsupport)
