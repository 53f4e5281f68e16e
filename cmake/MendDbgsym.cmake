# Run by cpack after it made the packages (CPACK_POST_BUILD_SCRIPTS): mends
# the dbgsym package as CPack 3.25 writes it. Its md5sums name the files by
# their absolute paths in CPack's staging folder, and it has no
# documentation folder; Debian's dbgsym packages link theirs to the main
# package's, whose copyright and changelog then stand for both.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "/([^/]+)-dbgsym_[^/]*\\.ddeb$")
    continue()
  endif()
  set(main ${CMAKE_MATCH_1})
  set(tree "${package}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb --raw-extract "${package}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
  file(STRINGS "${tree}/DEBIAN/md5sums" lines)
  set(md5sums "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^([0-9a-f]+) +/.*/(usr/lib/debug/.*)$" "\\1  \\2" line "${line}")
    string(APPEND md5sums "${line}\n")
  endforeach()
  file(WRITE "${tree}/DEBIAN/md5sums" "${md5sums}")
  file(MAKE_DIRECTORY "${tree}/usr/share/doc")
  file(CREATE_LINK ${main} "${tree}/usr/share/doc/${main}-dbgsym" SYMBOLIC)
  execute_process(COMMAND dpkg-deb --root-owner-group --build "${tree}" "${package}"
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${tree}")
endforeach()
