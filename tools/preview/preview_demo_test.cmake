# Runs farview-preview with no arguments in a new empty folder, as a newcomer would, and checks
# that the demo's frames and its animation are on disk where the tool says.
#   cmake -DPREVIEW=path/to/farview-preview -DWORK=scratch/folder [-DEMULATOR=wine-emulator] -P preview_demo_test.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
execute_process(COMMAND ${EMULATOR} "${PREVIEW}" WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE status OUTPUT_VARIABLE said
                ERROR_VARIABLE complained)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "farview-preview exited with ${status}:\n${said}${complained}")
endif()
file(GLOB frames "${WORK}/out/*.png")
file(GLOB animations "${WORK}/out/*.gif")
list(LENGTH frames frameCount)
list(LENGTH animations animationCount)
if(frameCount LESS 2 OR NOT animationCount EQUAL 1)
  message(FATAL_ERROR "expected a still, a turn and one GIF in out/, found ${frameCount} PNG and "
                      "${animationCount} GIF files:\n${said}")
endif()
foreach(file IN LISTS frames animations)
  file(SIZE "${file}" bytes)
  if(bytes EQUAL 0)
    message(FATAL_ERROR "${file} is empty")
  endif()
endforeach()
if(NOT said MATCHES "into out[/\\\\]")
  message(FATAL_ERROR "farview-preview did not say where it wrote the frames:\n${said}")
endif()
file(REMOVE_RECURSE "${WORK}")
