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
ts_add_test(NAME tst_harwriter SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_harwriter.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/support/harfixtures.h LIBS ts_urllist ts_webview)

# A HAR file of every kind of row, checked by the npm package har-validator (installed into the
# build tree by the test when missing).
add_executable(har_sample ${CMAKE_CURRENT_SOURCE_DIR}/har_sample.cpp ${CMAKE_CURRENT_SOURCE_DIR}/support/harfixtures.h)
target_link_libraries(har_sample PRIVATE ts_build_options ts_urllist ts_webview)
add_test(NAME har_validator COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/validate_har.sh ${CMAKE_BINARY_DIR}/npm
         $<TARGET_FILE:har_sample> ${CMAKE_CURRENT_BINARY_DIR}/sample.har)
set_tests_properties(har_validator PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
