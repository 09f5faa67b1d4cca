# What `cmake --install build --prefix P` puts under P, and the Debian
# package that `cpack -G DEB` makes of the same files. Every install rule of
# the project is here, so the targets' own lists stay about building.
#
#   P/bin/vantor-saver, P/bin/vantor-pack
#   P/lib/vantor/libmpegdll.so          the program's system folder
#   P/libexec/xscreensaver/vantor       link to the program: the display mode
#   P/share/xscreensaver/config/vantor.xml
#   P/share/applications/vantor-saver.desktop, vantor-play.desktop
#   P/share/man/man1/vantor-saver.1, vantor-pack.1
#   P/share/doc/vantor/README.md
#
# `cmake --build build --target uninstall` removes what the last install put
# there, and the folders of ours that it leaves empty.

set(_vantor_libdir lib/vantor)

# The installed program loads the MPEG library from its prefix's
# lib/vantor/. The prefix compiled in is the configured one, and the loader's
# own search, which comes after it, follows this path relative to the
# program, so an install under another --prefix, or a package's /usr, finds
# its library too.
set(_vantor_rpath "$ORIGIN:$ORIGIN/../${_vantor_libdir}")

foreach(_program vantor-saver vantor-pack)
  if(TARGET ${_program})
    set_target_properties(${_program} PROPERTIES INSTALL_RPATH "${_vantor_rpath}")
    install(TARGETS ${_program} RUNTIME DESTINATION bin)
  endif()
endforeach()
if(TARGET mpegdll)
  install(TARGETS mpegdll LIBRARY DESTINATION ${_vantor_libdir})
endif()

# The XScreenSaver display mode is the program itself under the hack's name:
# a relative link, so that it stays right wherever the prefix is copied.
set(_hack_link ${CMAKE_BINARY_DIR}/install/vantor)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install)
file(CREATE_LINK ../../bin/vantor-saver ${_hack_link} SYMBOLIC)
install(FILES ${_hack_link} DESTINATION libexec/xscreensaver)
install(FILES data/vantor.xml DESTINATION share/xscreensaver/config)
install(FILES data/vantor-saver.desktop data/vantor-play.desktop DESTINATION share/applications)
install(FILES docs/man/vantor-saver.1 docs/man/vantor-pack.1 DESTINATION share/man/man1)
install(FILES README.md DESTINATION share/doc/vantor)

if(NOT TARGET uninstall)
  add_custom_target(uninstall
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
            -P ${CMAKE_CURRENT_LIST_DIR}/Uninstall.cmake
    COMMENT "Removing the files of the last install")
endif()

# The Debian package: its dependencies are the packages of the libraries the
# programs link (dpkg-shlibdeps), and Qt's X11 platform plugin, which Qt only
# recommends but without which the program opens no window.
set(CPACK_PACKAGE_NAME vantor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vantor developers <vantor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture screensaver and slideshow with 150 transitions")
set(CPACK_PACKAGE_DESCRIPTION
    "Shows photographs full screen with transition effects, captions and music,\n\
as a stand-alone show, an XScreenSaver display mode or a screensaver file\n\
that carries its own pictures (made with vantor-pack).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver, xss-lock, xautolock")
set(CPACK_STRIP_FILES ON)
include(CPack)
