# farview_plugin_library(NAME SOURCES... [LINKS targets...]): the library of one plug-in folder.
# Its public headers are the folder's include/ directory; the headers beside its sources are its
# own. It links only the folders below it, so an include against the arrows does not compile.
function(farview_plugin_library name)
  cmake_parse_arguments(PARSE_ARGV 1 library "" "" "SOURCES;LINKS")
  add_library(${name} STATIC ${library_SOURCES})
  set_target_properties(${name} PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  target_link_libraries(${name} PUBLIC ${library_LINKS})
endfunction()
