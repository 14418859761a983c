# SPDX-License-Identifier: GPL-3.0-or-later
# Assembles the web site (cmake -P): the pages, the module, the icons, what
# common hosts need to send the right types and headers (_headers, .htaccess,
# web.config) and a service worker that knows every file the page uses by its
# SHA-256 and is named after the contents of the whole site, so that a new
# build replaces what a browser keeps offline. Every file but the PNGs gets a
# gzip -9 copy beside it.
# Variables: SOURCE_DIR, PAGES (the page's own files, comma-separated),
# MODULE_DIR, DESCRIPTION (the window's description, from the desktop build),
# ICON_DIR (the desktop's icon theme), FULL_BLEED_DIR, APP_ID, NODE (to read
# _headers with web/headers.mjs), SITE_DIR.
file(REMOVE_RECURSE ${SITE_DIR})
file(MAKE_DIRECTORY ${SITE_DIR})

string(REPLACE "," ";" pages "${PAGES}")
foreach(name ${pages} _headers)
  file(COPY_FILE ${SOURCE_DIR}/${name} ${SITE_DIR}/${name})
endforeach()
foreach(name navicella.js navicella.wasm)
  file(COPY_FILE ${MODULE_DIR}/${name} ${SITE_DIR}/${name})
endforeach()
file(COPY_FILE ${DESCRIPTION} ${SITE_DIR}/description.json)
file(COPY_FILE ${ICON_DIR}/scalable/apps/${APP_ID}.svg ${SITE_DIR}/icon.svg)
foreach(size 192 512)
  file(COPY_FILE ${ICON_DIR}/${size}x${size}/apps/${APP_ID}.png ${SITE_DIR}/icon-${size}.png)
endforeach()
file(COPY_FILE ${FULL_BLEED_DIR}/512x512.png ${SITE_DIR}/maskable-512.png)
file(COPY_FILE ${FULL_BLEED_DIR}/180x180.png ${SITE_DIR}/apple-touch-icon.png)

# Apache sends the headers _headers lists for the static hosts that read it,
# and so does IIS, from web.config.
execute_process(COMMAND ${NODE} ${SOURCE_DIR}/headers.mjs ${SITE_DIR}/_headers
                OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
string(JSON count LENGTH "${headers}")
set(HEADER_LINES "")
set(IIS_HEADERS "")
if(count GREATER 0)
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    string(JSON name GET "${headers}" ${i} 0)
    string(JSON value GET "${headers}" ${i} 1)
    set(xml "${value}")
    string(REPLACE "&" "&amp;" xml "${xml}")
    string(REPLACE "<" "&lt;" xml "${xml}")
    string(REPLACE ">" "&gt;" xml "${xml}")
    string(REPLACE "\"" "&quot;" xml "${xml}")
    string(APPEND IIS_HEADERS "        <add name=\"${name}\" value=\"${xml}\" />\n")
    string(REPLACE "\"" "\\\"" value "${value}")
    string(APPEND HEADER_LINES "  Header set ${name} \"${value}\"\n")
  endforeach()
endif()
configure_file(${SOURCE_DIR}/web.config.in ${SITE_DIR}/web.config @ONLY)
configure_file(${SOURCE_DIR}/htaccess.in ${SITE_DIR}/.htaccess @ONLY)

# The worker keeps what a page uses; the PNG icons are for installing alone.
file(GLOB files RELATIVE ${SITE_DIR} ${SITE_DIR}/*)
list(SORT files)
set(hashes "")
set(SITE_FILES "")
foreach(name ${files})
  file(SHA256 ${SITE_DIR}/${name} hash)
  string(APPEND hashes "${name} ${hash}\n")
  if(NOT name MATCHES "^(_headers|\\.htaccess|web\\.config|.*\\.png)$")
    string(APPEND SITE_FILES "\n  '${name}': '${hash}',")
  endif()
endforeach()
string(SHA256 SITE_VERSION "${hashes}")
string(SUBSTRING ${SITE_VERSION} 0 16 SITE_VERSION)
configure_file(${SOURCE_DIR}/sw.js.in ${SITE_DIR}/sw.js @ONLY)

find_program(GZIP gzip REQUIRED)
file(GLOB compressible ${SITE_DIR}/*.html ${SITE_DIR}/*.css ${SITE_DIR}/*.js ${SITE_DIR}/*.wasm
     ${SITE_DIR}/*.svg ${SITE_DIR}/*.webmanifest ${SITE_DIR}/*.json)
foreach(path ${compressible})
  execute_process(COMMAND ${GZIP} -9nkf ${path} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
