# The core library alone: Qt Core and Qt Test, nothing of Qt Gui or Widgets.
ts_add_test(NAME tst_requestlistmodel SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_requestlistmodel.cpp LIBS ts_core)

# core/ links Qt Core only and includes no Qt Gui or Widgets header.
add_test(NAME core_is_qt_core_only
         COMMAND ${CMAKE_COMMAND} "-DLIBS=$<TARGET_PROPERTY:ts_core,LINK_LIBRARIES>"
                 -DDIR=${PROJECT_SOURCE_DIR}/core -P ${CMAKE_CURRENT_SOURCE_DIR}/check_core.cmake)

# Reading HAR files back into rows; the form encoder makes the bodies of the recorder's fixtures.
ts_add_test(NAME tst_harreader
            SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_harreader.cpp ${PROJECT_SOURCE_DIR}/webview/formencoder.cpp
            LIBS ts_core)
