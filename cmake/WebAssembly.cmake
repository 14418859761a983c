# SPDX-License-Identifier: GPL-3.0-or-later
# The browser edition's build (emscripten's toolchain file): the core, its tests
# run under node, and the web site; nothing of the desktop.
#
# Every object is built with exceptions, so a run-time error of the core
# reaches the binding as RuntimeError and not as a bare number. Emscripten's
# own exceptions (through JavaScript), not WebAssembly's: WebKit 2.50 lets a
# WebAssembly exception that left a handler called through a member pointer
# pass every catch, so the error box never came; these work in every engine,
# older ones too, for 1.2 kB more at gzip -9.
set(NAVICELLA_GAME_ONLY ON CACHE BOOL "" FORCE)
set(NAVICELLA_BUILD_BENCH OFF CACHE BOOL "" FORCE)
add_compile_options(-fexceptions)
add_link_options(-fexceptions)
# Linking with optimisation runs emscripten's node tools, which look for
# their modules (acorn and others) where Debian keeps them.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
