# The 32-bit Windows build renders the same bytes as the Linux build: the same scripts on the
# Linux build's demo game with both previews (the Windows one under Wine, loading farview.dll),
# then every PNG frame and GIF compared byte for byte, the pixels of any frame that differs named;
# and both builds' demo games file by file.
#   cmake -DLINUX_BUILD=build/default -DWINDOWS_BUILD=build/win32 -DEMULATOR=cmake/wine-emulator
#         -DSCRIPTS="a.txt;b.txt" -DEXAMPLE=docs/preview.md -DFRAME_DIFF=frame_diff.exe -DWORK=dir -P compare_frames.cmake
cmake_minimum_required(VERSION 3.25)
foreach(file "${LINUX_BUILD}/farview-preview" "${LINUX_BUILD}/libfarview.so" "${LINUX_BUILD}/demo-game/Map0001.lmu")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "${file} is missing: build the Linux preset ${LINUX_BUILD} first; its frames are the reference")
  endif()
endforeach()
set(game "${LINUX_BUILD}/demo-game")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/scripts")

# The preview page's example script, as a newcomer copies it.
file(READ "${EXAMPLE}" page)
string(FIND "${page}" "# walk.txt:" start)
if(start EQUAL -1)
  message(FATAL_ERROR "the example script of ${EXAMPLE} (# walk.txt:) is gone")
endif()
string(SUBSTRING "${page}" ${start} -1 example)
string(FIND "${example}" "```" end)
string(SUBSTRING "${example}" 0 ${end} example)
file(WRITE "${WORK}/scripts/example-walk.txt" "${example}")
foreach(script IN LISTS SCRIPTS)
  file(COPY "${script}" DESTINATION "${WORK}/scripts")
endforeach()

# Wine's drive Z: is the root of the file system.
function(windows_path path result)
  string(REPLACE "/" "\\" path "${path}")
  set(${result} "Z:${path}" PARENT_SCOPE)
endfunction()

# render(NAME ARGUMENTS...): both previews on the game, into linux/NAME and windows/NAME.
function(render name)
  windows_path("${game}" windowsGame)
  windows_path("${WORK}/windows/${name}" windowsOut)
  set(windowsArguments "")
  foreach(argument IN LISTS ARGN)
    if(EXISTS "${argument}")
      windows_path("${argument}" argument)
    endif()
    list(APPEND windowsArguments "${argument}")
  endforeach()
  # Output goes to files: Wine's background processes keep a pipe open long after the program ends.
  set(log "${WORK}/${name}")
  execute_process(COMMAND "${LINUX_BUILD}/farview-preview" "${game}" ${ARGN} -o "${WORK}/linux/${name}"
                  RESULT_VARIABLE status OUTPUT_FILE "${log}-linux.log" ERROR_FILE "${log}-linux.log")
  if(NOT status EQUAL 0)
    file(READ "${log}-linux.log" said)
    message(FATAL_ERROR "the Linux preview failed on ${name}:\n${said}")
  endif()
  # A message box waiting for a click would stop the run: the emulator gives Wine no display, and
  # the timeout turns a hang into a failure.
  execute_process(COMMAND "${EMULATOR}" "${WINDOWS_BUILD}/farview-preview.exe" "${windowsGame}" ${windowsArguments}
                          -o "${windowsOut}" TIMEOUT 300 RESULT_VARIABLE status
                          OUTPUT_FILE "${log}-windows.log" ERROR_FILE "${log}-windows.log")
  if(NOT status EQUAL 0)
    file(READ "${log}-windows.log" said)
    message(FATAL_ERROR "the Windows preview failed on ${name} (${status}):\n${said}")
  endif()
endfunction()

# One Wine server for all the runs; it leaves for the background, so its output goes to a file
# rather than a pipe this script would wait on.
execute_process(COMMAND "${EMULATOR}" --start-server OUTPUT_FILE "${WORK}/wineserver.log" ERROR_FILE "${WORK}/wineserver.log")
file(GLOB scripts "${WORK}/scripts/*.txt")
foreach(script IN LISTS scripts)
  get_filename_component(name "${script}" NAME_WE)
  render(${name} "${script}")
endforeach()
render(map-1 --map 1)

set(differences "")
set(frames 0)
set(framesIdentical 0)
file(GLOB_RECURSE linuxFiles RELATIVE "${WORK}/linux" "${WORK}/linux/*.png" "${WORK}/linux/*.gif")
file(GLOB_RECURSE windowsFiles RELATIVE "${WORK}/windows" "${WORK}/windows/*.png" "${WORK}/windows/*.gif")
foreach(file IN LISTS windowsFiles)
  if(NOT file IN_LIST linuxFiles)
    string(APPEND differences "\n  ${file}: written by the Windows preview only")
  endif()
endforeach()
foreach(file IN LISTS linuxFiles)
  math(EXPR frames "${frames} + 1")
  if(NOT EXISTS "${WORK}/windows/${file}")
    string(APPEND differences "\n  ${file}: written by the Linux preview only")
    continue()
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/linux/${file}" "${WORK}/windows/${file}"
                  RESULT_VARIABLE different)
  if(different AND file MATCHES "\\.png$")
    windows_path("${WORK}/linux/${file}" first)
    windows_path("${WORK}/windows/${file}" second)
    execute_process(COMMAND "${EMULATOR}" "${FRAME_DIFF}" "${first}" "${second}" RESULT_VARIABLE different
                    OUTPUT_FILE "${WORK}/frame-diff.log" ERROR_FILE "${WORK}/frame-diff.log")
    file(READ "${WORK}/frame-diff.log" report)
    if(different)
      string(APPEND differences "\n  ${file} differs:\n${report}")
    endif()
  elseif(different)
    string(APPEND differences "\n  ${file} differs")
  endif()
  if(NOT different)
    math(EXPR framesIdentical "${framesIdentical} + 1")
  endif()
endforeach()

# Not the module but the demo generator's own drawing: a Windows newcomer must see the same demo.
file(GLOB_RECURSE demoFiles RELATIVE "${LINUX_BUILD}/demo-game" "${LINUX_BUILD}/demo-game/*")
list(FILTER demoFiles EXCLUDE REGEX "\\.stamp$")
foreach(file IN LISTS demoFiles)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${LINUX_BUILD}/demo-game/${file}" "${WINDOWS_BUILD}/demo-game/${file}"
                  RESULT_VARIABLE different)
  if(different)
    string(APPEND differences "\n  demo-game/${file}: the builds write it differently")
  endif()
endforeach()
execute_process(COMMAND "${EMULATOR}" --stop-server OUTPUT_FILE "${WORK}/wineserver.log" ERROR_FILE "${WORK}/wineserver.log")

list(LENGTH demoFiles demoCount)
message(STATUS "files compared: ${frames} frames and animations, ${demoCount} demo game files")
message(STATUS "frames compared: ${frames}, frames identical: ${framesIdentical}")
if(NOT frames GREATER 0 OR differences)
  message(FATAL_ERROR "The Windows build differs from the Linux build:${differences}")
endif()
