# What a game author downloads: the plug-in module, the tools, the demo game, the authoring guide and
# the licence, side by side in one folder, so that the tools find the module and the demo beside
# them. `cmake --install` lays it out; CPack packs it as Farview-VERSION-win32.zip (the 32-bit
# Windows build) or Farview-VERSION-Linux.tar.gz. scripts/package makes both.
install(TARGETS farview LIBRARY DESTINATION . RUNTIME DESTINATION .)
install(TARGETS farview-preview farview-live RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_BINARY_DIR}/demo-game/ DESTINATION demo-game PATTERN written.stamp EXCLUDE)
install(FILES LICENSE DESTINATION demo-game RENAME LICENSE.txt)
install(FILES LICENSE README.md CHANGELOG.md DESTINATION .)
install(DIRECTORY docs/ DESTINATION docs)
# What an adapter module that offers the host table is built against.
install(FILES host/include/host/farview_host.h DESTINATION include/host)
# The browser page, built by scripts/web (the web preset); both packages hold the same file.
set(FARVIEW_WEB_PAGE ${PROJECT_SOURCE_DIR}/build/web/farview.html CACHE FILEPATH "The browser page the packages hold")
install(FILES ${FARVIEW_WEB_PAGE} DESTINATION . OPTIONAL)

if(WIN32)
  set(CPACK_SYSTEM_NAME win32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_SYSTEM_NAME Linux)
  set(CPACK_GENERATOR TGZ)
endif()
set(CPACK_PACKAGE_NAME Farview)
set(CPACK_PACKAGE_VENDOR "the Farview developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "The map as a floor in perspective: a plug-in module, its preview tools and a demo game")
set(CPACK_PACKAGE_FILE_NAME Farview-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/build/packages)
include(CPack)
