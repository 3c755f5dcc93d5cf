# The journal: recorded, killed, read back. Runs a copy of itself as the program it kills.
ts_add_test(NAME tst_journal SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_journal.cpp ${CMAKE_CURRENT_SOURCE_DIR}/journalfixture.h
                    ${CMAKE_CURRENT_SOURCE_DIR}/journalsupport.h
            LIBS ts_journal TIMEOUT 600)
