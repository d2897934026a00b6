# The live view end to end under its own X server: farview-live on the demo game, driven by the
# inputs of a file, takes a screenshot (S) and prints the view's comment lines (C); farview-preview
# then renders a script made of those lines and the host steps C names, and the two frames must be
# the same bytes.
#   cmake -DRUN="xvfb-run|-a" [-DPREVIEW_RUN=emulator] -DLIVE=farview-live -DPREVIEW=farview-preview
#         -DGAME=demo-game -DINPUTS=inputs.txt -DWORK=scratch -P live_end_to_end_test.cmake
# RUN is what starts the live view, its words separated by '|' (a display wrapper, and an emulator
# for another system's build); PREVIEW_RUN what starts the preview (nothing, or the emulator).
string(REPLACE "|" ";" RUN "${RUN}")
string(REPLACE "|" ";" PREVIEW_RUN "${PREVIEW_RUN}")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
list(GET RUN 0 runner)
if(NOT EXISTS "${runner}")
  message(FATAL_ERROR "${runner} is missing: run scripts/install-deps")
endif()
execute_process(COMMAND ${RUN} "${LIVE}" --inputs "${INPUTS}" -o "${WORK}/live" WORKING_DIRECTORY "${WORK}"
                RESULT_VARIABLE status OUTPUT_VARIABLE printed ERROR_VARIABLE told TIMEOUT 300)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "farview-live exited with ${status}:\n${printed}${told}")
endif()
if(NOT EXISTS "${WORK}/live/shot-001.png")
  message(FATAL_ERROR "farview-live saved no screenshot:\n${told}")
endif()

# The host steps are C's remarks "#   step"; the comment lines are C's lines that start with '@'.
string(REPLACE "\r" "" printed "${printed}")
string(REGEX MATCHALL "#   [^\n]*\n|@[^\n]*\n" lines "${printed}")
set(script "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^#   " "" line "${line}")
  string(APPEND script "${line}")
endforeach()
if(NOT script MATCHES "enter [0-9]+\n" OR NOT script MATCHES "@init_mode7 true\n")
  message(FATAL_ERROR "C printed no view:\n${printed}")
endif()
file(WRITE "${WORK}/from-c.txt" "${script}frame expected.png\n")
execute_process(COMMAND ${PREVIEW_RUN} "${PREVIEW}" "${GAME}" "${WORK}/from-c.txt" -o "${WORK}/preview"
                RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE told TIMEOUT 300)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "farview-preview exited with ${status} on C's lines:\n${script}\n${said}${told}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/live/shot-001.png" "${WORK}/preview/expected.png"
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "the live screenshot differs from farview-preview's frame of C's lines (${WORK}):\n${script}")
endif()
file(REMOVE_RECURSE "${WORK}")
