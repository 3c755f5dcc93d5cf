# Installs the build into a scratch DESTDIR, validates the desktop entry and AppStream data, and packs a .deb.
# Needs the program built (the `trailscribe` target); touches nothing outside a temporary folder.
add_test(NAME packaging COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check_packaging.sh ${CMAKE_BINARY_DIR})
set_tests_properties(packaging PROPERTIES TIMEOUT 300)
