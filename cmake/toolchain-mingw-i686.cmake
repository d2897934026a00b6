# The distribution's MinGW-w64 cross compiler for 32-bit Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
# The host-side libraries built for the target by scripts/win32-deps (the win32 preset sets this).
if(FARVIEW_WIN32_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${FARVIEW_WIN32_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# A package's configuration from the build machine would put its /usr/include before MinGW's own
# headers.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Programs link every library statically, so the distribution's import libraries are passed over.
set(ZLIB_USE_STATIC_LIBS ON)
