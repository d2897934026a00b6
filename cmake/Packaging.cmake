# What a game author downloads: the plug-in module, the tools, the demo game, the documents and the
# licences, side by side in one folder, so that the tools find the module and the demo beside
# them. `cmake --install` lays it out; CPack packs it as Farview-VERSION-win32.zip (the 32-bit
# Windows build) or Farview-VERSION-Linux.tar.gz. scripts/package makes both.
install(TARGETS farview LIBRARY DESTINATION . RUNTIME DESTINATION .)
install(TARGETS farview-preview farview-live RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_BINARY_DIR}/demo-game/ DESTINATION demo-game PATTERN written.stamp EXCLUDE)
install(FILES LICENSE DESTINATION demo-game RENAME LICENSE.txt)
install(FILES LICENSE CHANGELOG.md DESTINATION .)
# Every page of docs/ with the pictures and scripts they show; the licence texts the third-party
# notices (docs/third-party.md) name, at the place their links give.
install(DIRECTORY docs/ DESTINATION docs)
install(DIRECTORY LICENSES/ DESTINATION LICENSES)
# A README of the unpacked folder: the repository's speaks of scripts and build folders it has not.
if(WIN32)
  set(FARVIEW_PACKAGE_SYSTEM "32-bit Windows")
  set(FARVIEW_PACKAGE_MODULE farview.dll)
  set(FARVIEW_PACKAGE_MODULE_ROLE "the plug-in module the game engine loads, which the programs here load too")
  set(FARVIEW_PACKAGE_EXE .exe)
  set(FARVIEW_PACKAGE_RUN "")
  set(FARVIEW_PACKAGE_NEEDS " They need nothing but Windows' own DLLs.")
else()
  set(FARVIEW_PACKAGE_SYSTEM Linux)
  set(FARVIEW_PACKAGE_MODULE libfarview.so)
  set(FARVIEW_PACKAGE_MODULE_ROLE
      "the plug-in module built for Linux, which the programs here load (the game engine takes `farview.dll` of the Windows package)")
  set(FARVIEW_PACKAGE_EXE "")
  set(FARVIEW_PACKAGE_RUN ./)
  set(FARVIEW_PACKAGE_NEEDS " They need `libpng16-16`, `libgif7` and `libsdl2-2.0-0` from the distribution.")
endif()
configure_file(packaging/README.md.in ${PROJECT_BINARY_DIR}/package/README.md @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/package/README.md DESTINATION .)
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
