# The module's two message boxes (no owner, caption "Farview", MB_ICONINFORMATION) return at once
# where there is no display, so a host's thread never waits on a window nobody sees.
#   cmake -DEMULATOR=cmake/wine-emulator -DHOST=message_host.exe -DMODULE=farview.dll -DWORK=dir -P message_boxes.cmake
cmake_minimum_required(VERSION 3.25)
file(MAKE_DIRECTORY ${WORK})
set(ENV{WINEDEBUG} "-all,+relay")
execute_process(COMMAND ${EMULATOR} ${HOST} ${MODULE} WORKING_DIRECTORY ${WORK} TIMEOUT 120
                OUTPUT_VARIABLE said ERROR_VARIABLE trace RESULT_VARIABLE status)
file(WRITE ${WORK}/message-host.log "${said}${trace}")
if(NOT status EQUAL 0 OR NOT said MATCHES "load_map_to_texture returned")
  message(FATAL_ERROR "the message-box host failed or hung (${status}); see ${WORK}/message-host.log")
endif()
string(REGEX MATCHALL "Call user32\\.MessageBoxA\\(00000000,[^\n]*\"Farview\",00000040\\)" calls "${trace}")
string(REGEX MATCHALL "Ret  user32\\.MessageBoxA\\(\\)" returns "${trace}")
list(LENGTH calls callCount)
list(LENGTH returns returnCount)
if(NOT callCount EQUAL 2 OR NOT returnCount EQUAL 2)
  message(FATAL_ERROR "expected two MessageBoxA calls that return, found ${callCount} calls and ${returnCount} "
                      "returns; see ${WORK}/message-host.log")
endif()
message(STATUS "message boxes: ${callCount} MessageBoxA calls, each returned at once")
