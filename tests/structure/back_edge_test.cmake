# The include check refuses what it is there to refuse: in a small tree of sources, a back-edge
# (mapdata naming texture) and a private header named from above (plugin naming render's
# floor_rows.h).
#   cmake -DCHECK=check_includes.cmake -DWORK=scratch/folder -P back_edge_test.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(WRITE "${WORK}/mapdata/back_edge.cpp" "#include \"texture/map_texture.h\"\n")
file(WRITE "${WORK}/texture/include/texture/map_texture.h" "")
file(WRITE "${WORK}/render/floor_rows.h" "")
file(WRITE "${WORK}/plugin/private.cpp" "#include \"render/floor_rows.h\"\n")
execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -P ${CHECK} RESULT_VARIABLE status ERROR_VARIABLE said)
file(REMOVE_RECURSE "${WORK}")
if(status EQUAL 0)
  message(FATAL_ERROR "the include check passed a tree with a back-edge")
endif()
foreach(expected "mapdata/back_edge.cpp: includes \"texture/map_texture.h\" against the arrows"
                 "plugin/private.cpp: \"render/floor_rows.h\" is private to render/")
  string(FIND "${said}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the include check did not report: ${expected}\nIt said:\n${said}")
  endif()
endforeach()
