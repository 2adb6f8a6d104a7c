# Writes the package's copyright file and AppStream metainfo from the copyright files of the
# Debian font packages the build bundled (cmake -P; see Packaging.cmake for the arguments).
# Each font's main "Files: *" paragraph gives its copyright and licence; the licence short names
# become SPDX identifiers in the metainfo. A font under a licence not known here stops the build.

# Reads the first "Files: *" paragraph of a machine-readable copyright file into
# <prefix>_NAME (Upstream-Name), <prefix>_COPYRIGHT (the field's lines), <prefix>_LICENSE (short
# name) and <prefix>_LICENSE_TEXT (the licence field, continuation lines included).
function(read_font_copyright file prefix)
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "no copyright file for a bundled font: ${file}")
  endif()
  file(READ "${file}" text)
  string(REGEX MATCH "Upstream-Name: ([^\n]*)" _ "${text}")
  set(name "${CMAKE_MATCH_1}")
  # Paragraphs are separated by empty lines; a ';' would split the CMake list, so hide it.
  string(REPLACE ";" "\\;" text "${text}")
  string(REGEX REPLACE "\n[ \t]*\n" ";" paragraphs "${text}")
  set(found "")
  foreach(paragraph IN LISTS paragraphs)
    if(paragraph MATCHES "^\n*Files: \\*\n")
      set(found "${paragraph}")
      break()
    endif()
  endforeach()
  if(found STREQUAL "")
    message(FATAL_ERROR "${file}: no 'Files: *' paragraph")
  endif()
  string(REGEX MATCH "\nCopyright:([^\n]*(\n [^\n]*)*)" _ "${found}")
  set(copyright "${CMAKE_MATCH_1}")
  string(REGEX MATCH "\nLicense: ([^\n]*)((\n [^\n]*)*)" _ "${found}")
  set(${prefix}_NAME "${name}" PARENT_SCOPE)
  set(${prefix}_COPYRIGHT "${copyright}" PARENT_SCOPE)
  set(${prefix}_LICENSE "${CMAKE_MATCH_1}" PARENT_SCOPE)
  set(${prefix}_LICENSE_TEXT "License: ${CMAKE_MATCH_1}${CMAKE_MATCH_2}" PARENT_SCOPE)
endfunction()

function(spdx_of short out)
  if(short STREQUAL "OFL-1.1")
    set(${out} "OFL-1.1" PARENT_SCOPE)
  elseif(short STREQUAL "bitstream-vera")
    set(${out} "Bitstream-Vera" PARENT_SCOPE)
  else()
    message(FATAL_ERROR "a bundled font is under '${short}', which has no SPDX name here yet")
  endif()
endfunction()

read_font_copyright("${MENU_FONT_COPYRIGHT}" MENU)
read_font_copyright("${EMBEDDED_FONT_COPYRIGHT}" BUILTIN)

set(FONT_FILES "Files: usr/share/brakkon/Skin/Fonts/font.ttf
Copyright:${MENU_COPYRIGHT}
License: ${MENU_LICENSE}
Comment: The menu font (upstream: ${MENU_NAME}), copied unchanged from its Debian
 package.

Files: usr/games/brakkon
Copyright: 2026 The Brakkon maintainers
 ${BUILTIN_COPYRIGHT}
License: all-rights-reserved and ${BUILTIN_LICENSE}
Comment: The program embeds its built-in font, DejaVu Sans (upstream:
 ${BUILTIN_NAME}), copied unchanged from its Debian package.
")
string(REGEX REPLACE "\n  +" "\n " FONT_FILES "${FONT_FILES}")
set(FONT_LICENSES "\n${MENU_LICENSE_TEXT}\n")
if(NOT BUILTIN_LICENSE STREQUAL MENU_LICENSE)
  string(APPEND FONT_LICENSES "\n${BUILTIN_LICENSE_TEXT}\n")
endif()
configure_file("${GAME_NOTICE}" "${OUT_DIR}/copyright" @ONLY)

spdx_of("${MENU_LICENSE}" menu_spdx)
spdx_of("${BUILTIN_LICENSE}" builtin_spdx)
set(FONT_SPDX "${menu_spdx}")
if(NOT builtin_spdx STREQUAL menu_spdx)
  string(APPEND FONT_SPDX " AND ${builtin_spdx}")
endif()
configure_file("${METAINFO_IN}" "${OUT_DIR}/${METAINFO}" @ONLY)
