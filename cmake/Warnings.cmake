# SPDX-License-Identifier: GPL-3.0-or-later
# One place for the flags every target of ours is built with.
add_library(navicella_flags INTERFACE)
target_compile_options(navicella_flags INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion)
if(NAVICELLA_SANITIZE)
  target_compile_options(navicella_flags INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(navicella_flags INTERFACE -fsanitize=address,undefined)
endif()
