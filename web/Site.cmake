# SPDX-License-Identifier: GPL-3.0-or-later
# Assembles the web site (cmake -P): the pages, the module, the icons and a
# service worker whose cache is named after the contents of all of them, so
# that a new build replaces what a browser keeps offline. Every file gets a
# gzip -9 copy beside it. Variables: SOURCE_DIR, MODULE_DIR, ICON_SVG,
# ICON_PNG, SITE_DIR.
file(REMOVE_RECURSE ${SITE_DIR})
file(MAKE_DIRECTORY ${SITE_DIR})

set(files index.html style.css main.mjs game.mjs board.mjs cues.mjs manifest.webmanifest)
foreach(name ${files})
  file(COPY_FILE ${SOURCE_DIR}/${name} ${SITE_DIR}/${name})
endforeach()
file(COPY_FILE ${MODULE_DIR}/navicella.mjs ${SITE_DIR}/navicella.mjs)
file(COPY_FILE ${MODULE_DIR}/navicella.wasm ${SITE_DIR}/navicella.wasm)
file(COPY_FILE ${ICON_SVG} ${SITE_DIR}/icon.svg)
file(COPY_FILE ${ICON_PNG} ${SITE_DIR}/icon.png)
list(APPEND files navicella.mjs navicella.wasm icon.svg icon.png)

set(hashes "")
set(SITE_FILES "\"./\"")
foreach(name ${files})
  file(SHA256 ${SITE_DIR}/${name} hash)
  string(APPEND hashes ${hash})
  if(NOT name STREQUAL "index.html")
    string(APPEND SITE_FILES ", \"${name}\"")
  endif()
endforeach()
string(SHA256 SITE_VERSION "${hashes}")
string(SUBSTRING ${SITE_VERSION} 0 16 SITE_VERSION)
configure_file(${SOURCE_DIR}/sw.js.in ${SITE_DIR}/sw.js @ONLY)
list(APPEND files sw.js)

find_program(GZIP gzip REQUIRED)
foreach(name ${files})
  execute_process(COMMAND ${GZIP} -9nkf ${SITE_DIR}/${name} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
