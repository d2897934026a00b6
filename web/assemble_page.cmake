# farview.html from its template: the style, the module's script (the WebAssembly embedded in it)
# and the page's script written into it, so that the page is one file that works from disk.
#   cmake -DTEMPLATE=farview.html -DSTYLE=page.css -DSCRIPT=page.js -DMODULE=farview-module.js
#         -DVERSION=1.0.0 -DOUT=farview.html -P assemble_page.cmake
file(READ "${TEMPLATE}" page)
file(READ "${STYLE}" style)
file(READ "${SCRIPT}" script)
file(READ "${MODULE}" module)
# Inside a script element the text "</script" would end it.
string(REPLACE "</script" "<\\/script" module "${module}")
string(REPLACE "</script" "<\\/script" script "${script}")
string(REPLACE "/*farview-style*/" "${style}" page "${page}")
string(REPLACE "/*farview-module*/" "${module}" page "${page}")
string(REPLACE "/*farview-script*/" "${script}" page "${page}")
string(REPLACE "@FARVIEW_VERSION@" "${VERSION}" page "${page}")
file(WRITE "${OUT}" "${page}")
