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
install(FILES data/completion/sokuri-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The release: version and date of the changelog's first entry, which must
# name the project's version.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             data/debian/changelog data/debian/description.txt)
file(STRINGS data/debian/changelog _sokuri_changelog_head LIMIT_COUNT 1)
file(STRINGS data/debian/changelog _sokuri_changelog_trailer REGEX "^ -- " LIMIT_COUNT 1)
if(NOT _sokuri_changelog_head MATCHES "^sokuri \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "data/debian/changelog: the first entry is not version ${PROJECT_VERSION}; "
                      "add an entry for it")
endif()
string(REGEX REPLACE "^.*>  " "" SOKURI_RELEASE_TIME "${_sokuri_changelog_trailer}")
execute_process(COMMAND date -u -d "${SOKURI_RELEASE_TIME}" +%s
                OUTPUT_VARIABLE SOKURI_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND date -u -d "@${SOKURI_RELEASE_EPOCH}" +%Y-%m-%d
                OUTPUT_VARIABLE SOKURI_RELEASE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

# What the package documents: the licence, the changelog (gzip -9n, no name
# or time stamp inside) and the one lintian finding that is intended.
find_program(SOKURI_GZIP gzip REQUIRED)
set(_sokuri_doc ${CMAKE_BINARY_DIR}/doc)
add_custom_command(OUTPUT ${_sokuri_doc}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_sokuri_doc}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/data/debian/changelog ${_sokuri_doc}/changelog
  COMMAND ${SOKURI_GZIP} -9nf ${_sokuri_doc}/changelog
  DEPENDS ${PROJECT_SOURCE_DIR}/data/debian/changelog VERBATIM)
install(FILES data/debian/copyright ${_sokuri_doc}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sokuri)
install(FILES data/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME sokuri)

# AppStream: software centres list the program by this id; the desktop entry
# it launches keeps its name sokuri.desktop. The project has no web page of
# its own: whoever publishes the package names one (the About box's address
# by default), and the metadata then gives it and the README's screenshot,
# published there as screenshot.png; without one both are left out.
set(SOKURI_APPSTREAM_ID org.example.sokuri)
set(SOKURI_HOMEPAGE "${SOKURI_AUTHOR_LINE3}" CACHE STRING
  "The program's web page, where its publisher keeps it with screenshot.png; empty: none")
string(REGEX REPLACE "/+$" "" _sokuri_homepage "${SOKURI_HOMEPAGE}")
set(SOKURI_APPSTREAM_WEB "")
if(_sokuri_homepage)
  string(CONCAT SOKURI_APPSTREAM_WEB
    "  <url type=\"homepage\">${_sokuri_homepage}/</url>\n"
    "  <screenshots>\n"
    "    <screenshot type=\"default\">\n"
    "      <caption>The main window after a keyword search of the demo engine</caption>\n"
    "      <caption xml:lang=\"ja\">デモエンジンをキーワードで検索したあとのメインウィンドウ</caption>\n"
    "      <image type=\"source\" width=\"900\" height=\"640\">${_sokuri_homepage}/screenshot.png</image>\n"
    "    </screenshot>\n"
    "  </screenshots>")
endif()
configure_file(data/sokuri.metainfo.xml.in ${_sokuri_doc}/${SOKURI_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${_sokuri_doc}/${SOKURI_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages, made by help2man from each program's --help and the page's
# own text in docs/man/<program>.h2m; sokuri-cli's commands and their options
# come from the commands' --help. Pages carry the release date.
find_program(SOKURI_HELP2MAN help2man)
set(_sokuri_pages)
if(SOKURI_HELP2MAN)
  set(_sokuri_man ${CMAKE_BINARY_DIR}/man)
  foreach(program ${_sokuri_programs})
    set(_includes --include=${PROJECT_SOURCE_DIR}/docs/man/${program}.h2m)
    set(_depends ${program} ${PROJECT_SOURCE_DIR}/docs/man/${program}.h2m)
    if(program STREQUAL "sokuri-cli")
      add_custom_command(OUTPUT ${_sokuri_man}/sokuri-cli-commands.h2m
        COMMAND ${CMAKE_COMMAND} -E make_directory ${_sokuri_man}
        COMMAND bash ${PROJECT_SOURCE_DIR}/docs/man/command-options.sh $<TARGET_FILE:sokuri-cli>
                ${_sokuri_man}/sokuri-cli-commands.h2m
        DEPENDS sokuri-cli ${PROJECT_SOURCE_DIR}/docs/man/command-options.sh VERBATIM)
      list(APPEND _includes --include=${_sokuri_man}/sokuri-cli-commands.h2m)
      list(APPEND _depends ${_sokuri_man}/sokuri-cli-commands.h2m)
    endif()
    add_custom_command(OUTPUT ${_sokuri_man}/${program}.1.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_sokuri_man}
      COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${SOKURI_RELEASE_EPOCH} LC_ALL=C.UTF-8
              ${SOKURI_HELP2MAN} --no-info --no-discard-stderr --section=1
              --version-string=${PROJECT_VERSION} --source=Sokuri ${_includes}
              --output=${_sokuri_man}/${program}.1 $<TARGET_FILE:${program}>
      COMMAND ${SOKURI_GZIP} -9nf ${_sokuri_man}/${program}.1
      DEPENDS ${_depends} VERBATIM)
    list(APPEND _sokuri_pages ${_sokuri_man}/${program}.1.gz)
  endforeach()
  install(FILES ${_sokuri_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man is missing (package help2man): no manual pages")
endif()
add_custom_target(sokuri_package_files ALL DEPENDS ${_sokuri_pages} ${_sokuri_doc}/changelog.gz)

# cpack -G DEB: a Debian package installing under /usr.
set(CPACK_PACKAGE_NAME sokuri)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# No mail address exists for the project: a noreply form in a reserved domain.
set(CPACK_PACKAGE_CONTACT "Sokuri developers <noreply@sokuri.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
file(READ data/debian/description.txt CPACK_DEBIAN_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(_sokuri_homepage)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${_sokuri_homepage}/")
endif()
# The libraries the programs link come from dpkg-shlibdeps; these are what
# they load at run time: TLS, the window system plugins, Qt's Japanese
# texts, the font, and an analyser with its dictionary (MeCab's dictionary
# brings MeCab).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libssl3, qt6-qpa-plugins, qt6-translations-l10n, fonts-ipafont-gothic, chasen | mecab-ipadic-utf8")
# Links open in the desktop's browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, firefox-esr | chromium | www-browser")
# Stripped programs. A build with debug information (-g: Debug,
# RelWithDebInfo, scripts/package) keeps it in sokuri-dbgsym (a .ddeb).
string(TOUPPER "${CMAKE_BUILD_TYPE}" _sokuri_build_type)
if(" ${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${_sokuri_build_type}} " MATCHES " -g[0-9]? ")
  set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
  list(APPEND CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/MendDbgsym.cmake)
else()
  set(CPACK_STRIP_FILES ON)
endif()
include(CPack)
