# What the Linux package installs, and the package itself (CPack, DEB generator). Included with
# ORVANE_PACKAGE on, by the release preset that scripts/package builds; the version, the package
# names and the man pages all come from the project version.
include(GNUInstallDirs)

set(ORVANE_PACKAGE_NAME orvane)
set(ORVANE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${ORVANE_PACKAGE_NAME})
set(ORVANE_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(ORVANE_GENERATED_DIR ${CMAKE_BINARY_DIR}/package-files)

install(TARGETS orvane orvane-board RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The test programs go where the testing lookup searches beside an installed program.
if(ORVANE_TEST_PROGRAM_HEX)
  install(FILES ${ORVANE_TEST_PROGRAM_HEX} DESTINATION ${CMAKE_INSTALL_DATADIR}/orvane)
endif()

# Man pages from the programs' own --help and --version, compressed the way Debian wants
# (gzip -n: no name or time stamp inside, so the same sources give the same package).
find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)
set(ORVANE_MAN_PAGES)
set(orvane_MAN_NAME "download programs to the Orvane board and test it")
set(orvane-board_MAN_NAME "the virtual Orvane board on a pseudo-terminal")
foreach(program orvane orvane-board)
  set(page ${ORVANE_GENERATED_DIR}/${program}.1)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ORVANE_GENERATED_DIR}
    COMMAND ${HELP2MAN} --no-info --section=1 --source=Orvane --name=${${program}_MAN_NAME}
            --include=${ORVANE_PACKAGING_DIR}/man/${program}.h2m
            --output=${page} $<TARGET_FILE:${program}>
    COMMAND ${GZIP} -9nf ${page}
    DEPENDS ${program} ${ORVANE_PACKAGING_DIR}/man/${program}.h2m
    COMMENT "Man page ${program}.1"
    VERBATIM)
  list(APPEND ORVANE_MAN_PAGES ${page}.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${ORVANE_MAN_PAGES})
install(FILES ${ORVANE_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The changelog carries the package version; a package whose version has no Debian revision is
# a native one, whose changelog Debian names changelog.gz.
configure_file(${ORVANE_PACKAGING_DIR}/debian/changelog.in ${ORVANE_GENERATED_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${ORVANE_GENERATED_DIR}/changelog.gz
  COMMAND ${GZIP} -9nfk ${ORVANE_GENERATED_DIR}/changelog
  DEPENDS ${ORVANE_GENERATED_DIR}/changelog)
add_custom_target(package_changelog ALL DEPENDS ${ORVANE_GENERATED_DIR}/changelog.gz)
install(FILES ${ORVANE_GENERATED_DIR}/changelog.gz ${ORVANE_PACKAGING_DIR}/debian/copyright
              ${CMAKE_SOURCE_DIR}/README.md
        DESTINATION ${ORVANE_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ORVANE_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Orvane Downloader Team <orvane@orvane.example>")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_SOURCE_DIR}/build/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "downloader and tester for the Orvane microcontroller training board
Puts Intel HEX programs into the program memory of the Orvane board over a
serial line (directly or through a USB-serial converter), finds the board by
scanning ports and rates, and runs the board's self-test and test programs.

The package holds the command-line tool orvane, the virtual board
orvane-board (served on a pseudo-terminal, for trying things without a
board) and the five test programs.")
include(CPack)
