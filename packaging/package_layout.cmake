# Run by CPack on the package's staged files before it packs them (CPACK_PRE_BUILD_SCRIPTS):
# the game moves to /usr/games, where Debian keeps games, with /usr/bin/brakkon pointing to it so
# that shells whose PATH lacks /usr/games (root's) find it too; the game finds its Skin from the
# real file, two folders up. Its notes and compiler comments are stripped, as Debian's tools do.
# The staged tree is the folder itself, or one folder in it per component.
file(GLOB staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" ${staged})
  if(EXISTS "${root}/usr/bin/brakkon" AND NOT IS_SYMLINK "${root}/usr/bin/brakkon")
    file(MAKE_DIRECTORY "${root}/usr/games")
    file(RENAME "${root}/usr/bin/brakkon" "${root}/usr/games/brakkon")
    file(CREATE_LINK ../games/brakkon "${root}/usr/bin/brakkon" SYMBOLIC)
    execute_process(COMMAND strip --remove-section=.comment --remove-section=.note
                            "${root}/usr/games/brakkon" RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "cannot strip ${root}/usr/games/brakkon")
    endif()
    set(moved TRUE)
  endif()
endforeach()
if(NOT moved)
  message(FATAL_ERROR
          "package_layout: no staged usr/bin/brakkon in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
