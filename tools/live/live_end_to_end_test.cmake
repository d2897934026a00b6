# The live view end to end under its own X server: farview-live on the demo game, driven by the
# inputs of a file, takes a screenshot (S) and prints the view as a preview script (C);
# farview-preview then runs that script as printed, and its frame must be the screenshot's bytes.
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

# C printed a whole preview script: run unchanged, it writes view.png.
string(REPLACE "\r" "" lines "${printed}")
if(NOT lines MATCHES "\nenter [0-9]+\n" OR NOT lines MATCHES "@init_mode7 true\n" OR NOT lines MATCHES "\nframe view.png\n")
  message(FATAL_ERROR "C printed no view:\n${printed}")
endif()
file(WRITE "${WORK}/from-c.txt" "${printed}")
execute_process(COMMAND ${PREVIEW_RUN} "${PREVIEW}" "${GAME}" "${WORK}/from-c.txt" -o "${WORK}/preview"
                RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE told TIMEOUT 300)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "farview-preview exited with ${status} on C's script:\n${printed}\n${said}${told}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORK}/live/shot-001.png" "${WORK}/preview/view.png"
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "the live screenshot differs from farview-preview's frame of C's script (${WORK}):\n${printed}")
endif()
file(REMOVE_RECURSE "${WORK}")
