# The folder a package unpacks to, laid out by `cmake --install` from a build, holds every page of
# docs/, the pictures they show, the README of the unpacked folder and the files they link to
# (the licences, the changelog): every link of its README and docs/ leads to a file there.
#   cmake -DBUILD=build/default -DCHECK=docs_links.cmake -DWORK=dir -P package_docs_test.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${WORK}"
                RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install ${BUILD} failed:\n${said}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -P ${CHECK} RESULT_VARIABLE status
                OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "The unpacked folder's documents do not hold:\n${said}")
endif()
