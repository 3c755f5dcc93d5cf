# The journal: recorded, killed, read back. Runs a copy of itself as the program it kills.
ts_add_test(NAME tst_journal SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_journal.cpp ${CMAKE_CURRENT_SOURCE_DIR}/journalfixture.h
                    ${CMAKE_CURRENT_SOURCE_DIR}/journalsupport.h
            LIBS ts_journal TIMEOUT 600)

# journal/ links Qt Core, the core library and SQLite, and includes nothing of Qt Gui or Widgets.
add_test(NAME journal_is_qt_core_only
         COMMAND ${CMAKE_COMMAND} "-DLIBS=$<TARGET_PROPERTY:ts_journal,LINK_LIBRARIES>"
                 -DDIR=${PROJECT_SOURCE_DIR}/journal -P ${CMAKE_CURRENT_SOURCE_DIR}/check_core.cmake)
