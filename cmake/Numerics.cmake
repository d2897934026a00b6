# Numbers are reproducible: the same scene renders to the same pixels on every build we ship.
# No fused multiply-add, never fast-math, and on 32-bit x86 SSE2 arithmetic instead of the x87's
# 80-bit intermediates.
add_compile_options(-ffp-contract=off -fno-fast-math)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86)$" OR
   (CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_SYSTEM_PROCESSOR MATCHES "86"))
  add_compile_options(-msse2 -mfpmath=sse)
  # A 32-bit Windows host built by another compiler calls with the stack aligned to 4 bytes only:
  # functions whose SSE code needs more realign it themselves (MinGW's default, spelled out).
  if(WIN32)
    add_compile_options(-mstackrealign)
  endif()
endif()
