# Installation: the program and what lives beside it go into one application
# folder, lib/sokuri/, that an installed program shares between users (each
# user works in a copy of their own, made on first start). bin/ gets links
# to the programs; the desktop entry and the icon go where desktops look.
include(GNUInstallDirs)
# Always lib/sokuri: Debian's multiarch libdir is for libraries only.
set(SOKURI_INSTALL_APPDIR lib/sokuri)

set(_sokuri_programs sokuri-cli sokuri-chasen-server)
foreach(program sokuri sokuri-demo-engine)
  if(TARGET ${program})
    list(APPEND _sokuri_programs ${program})
  endif()
endforeach()
install(TARGETS ${_sokuri_programs} RUNTIME DESTINATION ${SOKURI_INSTALL_APPDIR})
install(FILES data/sokuri.ini DESTINATION ${SOKURI_INSTALL_APPDIR})
install(PROGRAMS data/chasen.sh DESTINATION ${SOKURI_INSTALL_APPDIR})
install(DIRECTORY data/plugins/ DESTINATION ${SOKURI_INSTALL_APPDIR}/plugins)
foreach(extra help busy.gif)
  if(EXISTS ${PROJECT_SOURCE_DIR}/data/${extra})
    if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/data/${extra})
      install(DIRECTORY data/${extra}/ DESTINATION ${SOKURI_INSTALL_APPDIR}/${extra})
    else()
      install(FILES data/${extra} DESTINATION ${SOKURI_INSTALL_APPDIR})
    endif()
  endif()
endforeach()
# The marker that makes the folder a shared, installed one.
file(WRITE ${CMAKE_BINARY_DIR}/sokuri-installed
     "This folder is an installed Sokuri; each user works in a copy of their own.\n")
install(FILES ${CMAKE_BINARY_DIR}/sokuri-installed DESTINATION ${SOKURI_INSTALL_APPDIR})

# bin/: relative links, so the tree can be moved (the programs find their
# folder through the link's target).
foreach(program ${_sokuri_programs})
  install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK \"../${SOKURI_INSTALL_APPDIR}/${program}\"
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\" SYMBOLIC)")
endforeach()

install(FILES data/sokuri.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The document type (.skr), so that desktops open documents with Sokuri.
install(FILES data/sokuri-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME sokuri.xml)
install(FILES data/icons/sokuri.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# cpack -G DEB: a Debian package installing under /usr.
set(CPACK_PACKAGE_NAME sokuri)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Sokuri developers <sokuri@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6network6 (>= 6.4), qt6-qpa-plugins, libicu72, libxml2, chasen, fonts-ipafont-gothic")
include(CPack)
