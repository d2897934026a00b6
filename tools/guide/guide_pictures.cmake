# The guide's pictures, made by farview-guide-pictures from the guide scripts of docs/authoring/.
#   cmake -DMODE=renew -DPROGRAM=farview-guide-pictures -DGUIDE=docs/authoring -P guide_pictures.cmake
#       makes them anew in docs/authoring/, dropping pictures no script makes any more
#   cmake -DMODE=check -DPROGRAM=... -DGUIDE=docs/authoring -DWORK=scratch -P guide_pictures.cmake
#       makes them into WORK and fails, naming the files, unless the committed ones are the same bytes
cmake_minimum_required(VERSION 3.25)
set(renew_command "cmake --build --preset default --target guide-pictures")

# Says what the program wrote when asked to (renewing); a failure always says it.
function(make_pictures folder tell)
  execute_process(COMMAND "${PROGRAM}" "${folder}" RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE complained)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "farview-guide-pictures exited with ${status}:\n${said}${complained}")
  endif()
  if(tell)
    string(STRIP "${said}" said)
    message("${said}")
  endif()
endfunction()

function(picture_names folder result)
  file(GLOB pictures RELATIVE "${folder}" "${folder}/*.png")
  list(SORT pictures)
  set(${result} ${pictures} PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "renew")
  file(GLOB old "${GUIDE}/*.png")
  if(old)
    file(REMOVE ${old})
  endif()
  make_pictures("${GUIDE}" TRUE)
  return()
endif()

file(REMOVE_RECURSE "${WORK}")
make_pictures("${WORK}" FALSE)
picture_names("${WORK}" made)
picture_names("${GUIDE}" committed)
set(faults "")
foreach(picture IN LISTS made)
  if(NOT picture IN_LIST committed)
    string(APPEND faults "\n  ${picture}: made by its script, not committed")
    continue()
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/${picture}" "${GUIDE}/${picture}"
                  RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    string(APPEND faults "\n  ${picture}: stale, the script makes other bytes now")
  endif()
endforeach()
foreach(picture IN LISTS committed)
  if(NOT picture IN_LIST made)
    string(APPEND faults "\n  ${picture}: committed, but no guide script makes it")
  endif()
endforeach()
if(faults)
  message(FATAL_ERROR "The guide's pictures in ${GUIDE} are not what its scripts make now "
                      "(the new ones are in ${WORK}):${faults}\nRenew them with: ${renew_command}")
endif()
file(REMOVE_RECURSE "${WORK}")
list(LENGTH made count)
message(STATUS "The guide's ${count} pictures are what their scripts make")
