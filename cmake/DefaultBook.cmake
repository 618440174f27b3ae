# The default main book: built from the opening collection in data/books and
# written as Morvane.book beside the morvane executable, where the engine
# finds it when the working directory has no book of its own. The same games
# make morvane.bin, a polyglot book for interfaces and for the BookFile
# setting.
set(MORVANE_BOOK_ARCHIVE ${CMAKE_SOURCE_DIR}/data/books/bjbraams_chessdb_198350_lines.pgn.zip)
set(MORVANE_BOOK_DIR ${CMAKE_BINARY_DIR}/books)
set(MORVANE_BOOK_GAMES ${MORVANE_BOOK_DIR}/bjbraams_chessdb_198350_lines.pgn)
set(MORVANE_DEFAULT_BOOK ${CMAKE_BINARY_DIR}/Morvane.book)
set(MORVANE_DEFAULT_POLYGLOT_BOOK ${CMAKE_BINARY_DIR}/morvane.bin)

add_custom_command(
  OUTPUT ${MORVANE_BOOK_GAMES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${MORVANE_BOOK_DIR}
  COMMAND ${CMAKE_COMMAND} -E chdir ${MORVANE_BOOK_DIR} ${CMAKE_COMMAND} -E tar xf ${MORVANE_BOOK_ARCHIVE}
  # The archive keeps the file's old date; without this the book would be
  # rebuilt by every build.
  COMMAND ${CMAKE_COMMAND} -E touch ${MORVANE_BOOK_GAMES}
  DEPENDS ${MORVANE_BOOK_ARCHIVE}
  COMMENT "Unpacking the opening collection"
  VERBATIM)

add_custom_command(
  OUTPUT ${MORVANE_DEFAULT_BOOK}
  COMMAND morvane-book -o ${MORVANE_DEFAULT_BOOK} -p 20 -m 2 ${MORVANE_BOOK_GAMES}
  DEPENDS morvane-book ${MORVANE_BOOK_GAMES}
  COMMENT "Building the default opening book"
  VERBATIM)

add_custom_command(
  OUTPUT ${MORVANE_DEFAULT_POLYGLOT_BOOK}
  COMMAND morvane-book -f polyglot -o ${MORVANE_DEFAULT_POLYGLOT_BOOK} -p 20 -m 2 ${MORVANE_BOOK_GAMES}
  DEPENDS morvane-book ${MORVANE_BOOK_GAMES}
  COMMENT "Building the default polyglot book"
  VERBATIM)

add_custom_target(default_book ALL DEPENDS ${MORVANE_DEFAULT_BOOK} ${MORVANE_DEFAULT_POLYGLOT_BOOK})
