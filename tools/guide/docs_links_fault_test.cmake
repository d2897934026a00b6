# The link check fails on a scratch tree whose pages hold a link to a missing page, a missing
# picture, an anchor no heading makes, an anchor of a heading inside a code block and missing
# source files named in code (one in a code span over two lines), and whose README forgets one of
# its pages; it names each of them. The links and the file that are there (GitHub's anchors of a
# heading with code and punctuation, of a repeated heading) and a word in parentheses it leaves
# alone.
#   cmake -DCHECK=docs_links.cmake -DWORK=dir -P docs_links_fault_test.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/docs" "${WORK}/tools")
file(WRITE "${WORK}/tools/here.txt" "")
file(WRITE "${WORK}/docs/unlinked.md" "# A page the README forgets\n")
file(WRITE "${WORK}/README.md" "# Scratch

Read [the check](docs/guide.md#checking-your-lines---check), [the second map](docs/guide.md#the-map-1),
[a page](docs/gone.md) and [an anchor](docs/guide.md#no-such-heading).

![A picture](docs/missing.png)

`tools/here.txt` is there, `tools/not-there.txt` is not. A word in parentheses (below) and
[brackets] are no link. A code span may run over the line's end: `run
tools/gone.txt` names a file too.
")
file(WRITE "${WORK}/docs/guide.md" "# Guide

Back to [the start](../README.md#scratch); [in the block](#not-a-heading).

```
# not a heading
```

## Checking your lines: `--check`

## The map

## The map
")
execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -DNAMED=ON -P ${CHECK}
                RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(status EQUAL 0)
  message(FATAL_ERROR "the check passed a tree with broken links:\n${said}")
endif()
set(faults "")
foreach(broken "README.md:4: the link docs/gone.md" "README.md:4: the link docs/guide.md#no-such-heading"
               "README.md:6: the link docs/missing.png" "README.md:8: names tools/not-there.txt"
               "docs/guide.md:3: the link #not-a-heading" "docs/unlinked.md is linked from no line"
               "README.md:10: names tools/gone.txt")
  string(FIND "${said}" "${broken}" at)
  if(at EQUAL -1)
    string(APPEND faults "\n  it does not name ${broken}")
  endif()
endforeach()
foreach(sound "checking-your-lines---check" "the-map-1" "tools/here.txt" "#scratch" "below")
  string(FIND "${said}" "${sound}" at)
  if(NOT at EQUAL -1)
    string(APPEND faults "\n  it names ${sound}, which is no fault")
  endif()
endforeach()
if(faults)
  message(FATAL_ERROR "The link check's report on a scratch tree is wrong:${faults}\nIt said:\n${said}")
endif()
