# Installing both programs for one desktop user.
#
#   <prefix>/lib/quillpost2/   Quillpost2, Vivove and help/ side by side: the programs keep their
#                              account file beside themselves, so this folder stays the user's
#   <prefix>/bin/              quillpost2 and vivove, symbolic links to the programs
#   <prefix>/share/applications/quillpost2.desktop, vivove.desktop
#   <prefix>/share/icons/hicolor/{48x48,256x256}/apps/quillpost2.png, vivove.png
#
# The prefix is ~/.local unless one is given (CMAKE_INSTALL_PREFIX, or --prefix at install
# time). Every rule belongs to the component "programs"; `uninstall` removes exactly the files
# that an install listed in its manifest.

if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX "$ENV{HOME}/.local" CACHE PATH "Where to install" FORCE)
endif()

set(QUILL_PROGRAM_DIR lib/quillpost2)

# Installs one program with its launcher, desktop entry and icons.
#   quill_install_program(<target> <launcher and icon name>)
function(quill_install_program target name)
  install(TARGETS ${target} RUNTIME DESTINATION ${QUILL_PROGRAM_DIR} COMPONENT programs)

  # A relative link, made in the build folder and installed as a link, stays right under any
  # prefix and DESTDIR.
  set(link ${CMAKE_BINARY_DIR}/launchers/${name})
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/launchers)
  file(CREATE_LINK ../${QUILL_PROGRAM_DIR}/${target} ${link} SYMBOLIC)
  install(FILES ${link} DESTINATION bin COMPONENT programs)

  foreach(size 48 256)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/${name}-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${name}.png
            COMPONENT programs)
  endforeach()

  # The entry names its launcher by the prefix in force when installing (--prefix may differ
  # from the configured one), so it is written at install time.
  set(template ${CMAKE_SOURCE_DIR}/resources/desktop/${name}.desktop.in)
  set(entry ${CMAKE_BINARY_DIR}/desktop/${name}.desktop)
  install(CODE "
    set(LAUNCHER \"\${CMAKE_INSTALL_PREFIX}/bin/${name}\")
    configure_file(\"${template}\" \"${entry}\" @ONLY)
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/applications\" TYPE FILE
         FILES \"${entry}\")" COMPONENT programs)
endfunction()

quill_install_program(Quillpost2 quillpost2)
if(TARGET Vivove)
  quill_install_program(Vivove vivove)
endif()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/help/ DESTINATION ${QUILL_PROGRAM_DIR}/help
        COMPONENT programs)

add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
          -P ${CMAKE_SOURCE_DIR}/cmake/Uninstall.cmake
  COMMENT "Removing the installed files")
