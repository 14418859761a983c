# SPDX-License-Identifier: GPL-3.0-or-later
# One place for the flags every target of ours is built with.
add_library(navicella_flags INTERFACE)
target_compile_options(navicella_flags INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion
  $<$<BOOL:${NAVICELLA_WARNINGS_AS_ERRORS}>:-Werror>)
# The hardening a distribution expects of a program it ships. WebAssembly
# has neither a return address on its linear stack nor relocations to guard.
if(NOT EMSCRIPTEN)
  target_compile_options(navicella_flags INTERFACE
    -fstack-protector-strong $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  target_link_options(navicella_flags INTERFACE -Wl,-z,relro,-z,now)
endif()
if(NAVICELLA_SANITIZE)
  target_compile_options(navicella_flags INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(navicella_flags INTERFACE -fsanitize=address,undefined)
endif()
