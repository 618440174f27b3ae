# Installation rules and the Debian package.
#
#   cmake --install BUILD [--prefix P]   installs under P (default /usr/local)
#   cd BUILD && cpack -G DEB             makes morvane_<version>_<arch>.deb (under /usr)
#
# Layout under the prefix:
#   bin/                  morvane, morvane-tbgen, morvane-book
#   share/morvane/        Morvane.book, the default opening book, and
#                         morvane.bin, the same games as a polyglot book
#   share/man/man6/       the manual pages
#   share/doc/morvane/    README.md, books/ with the notes and licence of the
#                         game collections the default book is built from
#   share/games/plugins/xboard/
#                         morvane.eng, the entry by which xboard lists the
#                         installed engine: xboard's plugin header, the command
#                         that starts it, the variants it plays
#   share/games/plugins/logos/
#                         morvane.png, the logo xboard shows beside the clock
#
# The folders are fixed rather than taken from GNUInstallDirs: the engine
# finds its book from its own location, as <exe dir>/../share/morvane.

set(MORVANE_VERSION 7.0.0)
set(MORVANE_INSTALL_BINDIR bin)
set(MORVANE_INSTALL_DATADIR share/morvane)
set(MORVANE_INSTALL_MANDIR share/man/man6)
set(MORVANE_INSTALL_DOCDIR share/doc/morvane)
set(MORVANE_INSTALL_XBOARDDIR share/games/plugins/xboard)
set(MORVANE_INSTALL_LOGODIR share/games/plugins/logos)

# The rules run at the end of the top-level CMakeLists so that targets and
# the book rule defined after this file's include are seen as well.
function(morvane_install_rules)
  install(TARGETS morvane RUNTIME DESTINATION ${MORVANE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/docs/man/morvane.6 DESTINATION ${MORVANE_INSTALL_MANDIR})
  foreach(tool morvane-tbgen morvane-book)
    if(TARGET ${tool})
      install(TARGETS ${tool} RUNTIME DESTINATION ${MORVANE_INSTALL_BINDIR})
      install(FILES ${CMAKE_SOURCE_DIR}/docs/man/${tool}.6 DESTINATION ${MORVANE_INSTALL_MANDIR})
    endif()
  endforeach()

  # The default book is made by the build; where the build has a rule for it,
  # a missing book is an install error rather than a silent gap.
  if(TARGET default_book)
    install(FILES ${CMAKE_BINARY_DIR}/Morvane.book ${CMAKE_BINARY_DIR}/morvane.bin
            DESTINATION ${MORVANE_INSTALL_DATADIR})
  else()
    install(FILES ${CMAKE_BINARY_DIR}/Morvane.book ${CMAKE_BINARY_DIR}/morvane.bin
            DESTINATION ${MORVANE_INSTALL_DATADIR} OPTIONAL)
  endif()

  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${MORVANE_INSTALL_DOCDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/data/xboard/morvane.eng DESTINATION ${MORVANE_INSTALL_XBOARDDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/data/xboard/morvane.png DESTINATION ${MORVANE_INSTALL_LOGODIR})
  file(GLOB book_notes ${CMAKE_SOURCE_DIR}/data/books/README* ${CMAKE_SOURCE_DIR}/data/books/LICENSE*)
  if(book_notes)
    install(FILES ${book_notes} DESTINATION ${MORVANE_INSTALL_DOCDIR}/books)
  endif()

  if(MORVANE_TESTS)
    add_test(NAME install_layout
             COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
                     -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/CheckInstall.cmake)
    set_tests_properties(install_layout PROPERTIES LABELS install TIMEOUT 300)
    add_test(NAME manual_pages COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -P
                                       ${CMAKE_SOURCE_DIR}/cmake/CheckManPages.cmake)
    set_tests_properties(manual_pages PROPERTIES LABELS install)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL morvane_install_rules)

# Debian package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvane)
set(CPACK_PACKAGE_VERSION ${MORVANE_VERSION})
set(CPACK_PACKAGE_VENDOR "Morvane developers")
set(CPACK_PACKAGE_CONTACT "Morvane developers <morvane@invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "chess engine for xboard/WinBoard and UCI interfaces")
set(CPACK_PACKAGE_DESCRIPTION "Morvane plays and analyses chess for a graphical chess interface over the
xboard/WinBoard protocol or UCI, or for a person at a terminal. It ships
with a default opening book (also as a polyglot book), reads
Nalimov-format and Syzygy endgame tables and polyglot books, and
comes with morvane-tbgen to generate Nalimov-format tables and morvane-book to
build opening books from PGN game collections.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xboard | polyglot")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
find_program(MORVANE_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(MORVANE_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()
# Named even where dpkg-shlibdeps would find it, so that the dependency does
# not rest on how the build machine was set up.
if(MORVANE_SYZYGY)
  if(CPACK_DEBIAN_PACKAGE_DEPENDS)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libfathom1")
  else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libfathom1")
  endif()
endif()
include(CPack)
