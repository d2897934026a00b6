cmake_minimum_required(VERSION 3.25)
# The zip a game author downloads works where it is unpacked: packed with CPack, unpacked into an
# empty folder, its farview-preview.exe runs under Wine with no arguments on the demo game beside
# it, and writes the same frames and animation, byte for byte, as the Linux build's preview.
#   cmake -DCPACK_CONFIG=build/win32/CPackConfig.cmake -DEMULATOR=cmake/wine-emulator
#         -DLINUX_BUILD=build/default -DPACKAGE=Farview-1.0.0-win32 -DWORK=dir -P package_test.cmake
if(NOT EXISTS "${LINUX_BUILD}/farview-preview")
  message(FATAL_ERROR "${LINUX_BUILD}/farview-preview is missing: build the Linux preset first; its frames are the reference")
endif()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/unpacked" "${WORK}/windows" "${WORK}/linux")
execute_process(COMMAND cpack --config "${CPACK_CONFIG}" -B "${WORK}/package" RESULT_VARIABLE status
                OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(NOT status EQUAL 0 OR NOT EXISTS "${WORK}/package/${PACKAGE}.zip")
  message(FATAL_ERROR "CPack made no ${PACKAGE}.zip:\n${said}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${WORK}/package/${PACKAGE}.zip" WORKING_DIRECTORY "${WORK}/unpacked")
foreach(file farview.dll farview-preview.exe farview-live.exe demo-game/Map0001.lmu docs/authoring.md LICENSE)
  if(NOT EXISTS "${WORK}/unpacked/${PACKAGE}/${file}")
    message(FATAL_ERROR "the zip holds no ${file}")
  endif()
endforeach()

# Output goes to files: Wine's background processes keep a pipe open long after the program ends.
execute_process(COMMAND "${EMULATOR}" "${WORK}/unpacked/${PACKAGE}/farview-preview.exe" WORKING_DIRECTORY "${WORK}/windows"
                TIMEOUT 300 RESULT_VARIABLE status OUTPUT_FILE "${WORK}/windows.log" ERROR_FILE "${WORK}/windows.log")
if(NOT status EQUAL 0)
  file(READ "${WORK}/windows.log" said)
  message(FATAL_ERROR "the unpacked farview-preview.exe failed (${status}):\n${said}")
endif()
execute_process(COMMAND "${LINUX_BUILD}/farview-preview" WORKING_DIRECTORY "${WORK}/linux" RESULT_VARIABLE status
                OUTPUT_FILE "${WORK}/linux.log" ERROR_FILE "${WORK}/linux.log")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the Linux preview failed; see ${WORK}/linux.log")
endif()

file(GLOB linuxFiles RELATIVE "${WORK}/linux/out" "${WORK}/linux/out/*.png" "${WORK}/linux/out/*.gif")
file(GLOB windowsFiles RELATIVE "${WORK}/windows/out" "${WORK}/windows/out/*.png" "${WORK}/windows/out/*.gif")
if(NOT linuxFiles OR NOT linuxFiles STREQUAL windowsFiles)
  message(FATAL_ERROR "the previews wrote different files:\n  Linux: ${linuxFiles}\n  Windows: ${windowsFiles}")
endif()
foreach(file IN LISTS linuxFiles)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/linux/out/${file}" "${WORK}/windows/out/${file}"
                  RESULT_VARIABLE different)
  if(different)
    message(FATAL_ERROR "${file} differs between the unpacked Windows preview and the Linux build's")
  endif()
endforeach()
list(LENGTH linuxFiles count)
message(STATUS "the unpacked ${PACKAGE}.zip rendered the demo: ${count} files, each as the Linux build's")
