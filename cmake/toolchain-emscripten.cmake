# Debian's Emscripten, for the browser page: the plug-in, the stand-in host and the live view's
# session compiled to WebAssembly and linked into one module.
# Emscripten's file calls the target x86 for old projects' sake, unless told otherwise; the x87
# flags of cmake/Numerics.cmake have no meaning in WebAssembly.
set(EMSCRIPTEN_SYSTEM_PROCESSOR wasm32 CACHE STRING "")
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
# zlib, libpng, giflib and CLI11 built for the target by scripts/web (the web preset sets this).
if(FARVIEW_WEB_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${FARVIEW_WEB_DEPS})
endif()
# emcc runs parts of itself in node and finds Debian's JavaScript modules only on this path,
# whoever runs the build.
set(CMAKE_C_COMPILER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_COMPILER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
# The stand-in host's readers and the tools catch what they throw (a file that breaks the rules):
# Emscripten's C++ exceptions are off unless asked for.
set(CMAKE_CXX_FLAGS_INIT "-fexceptions")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fexceptions")
