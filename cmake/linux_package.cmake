# The Linux edition: qeltool, its manual page and bash and zsh completions, the operator's guide
# and the read-me, installed into the usual folders under the prefix ("cmake --install build/native
# --prefix DIR"), and the Debian package varnotek_<version>_amd64.deb made from them by CPack
# ("cmake --build build/native --target package"). Not for the sanitizer and fuzzing builds.
if(WIN32 OR VARNOTEK_SANITIZE OR VARNOTEK_FUZZ)
  return()
endif()
include(GNUInstallDirs)

set(VARNOTEK_MAINTAINER "Varnotek maintainers <varnotek@example.org>"
    CACHE STRING "Name and address of the Debian package's maintainer")

add_subdirectory(docs)
add_subdirectory(dist)

set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/varnotek)
install(TARGETS qeltool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/docs/READ-ME.txt ${CMAKE_SOURCE_DIR}/dist/copyright DESTINATION ${doc_dir})
if(TARGET operator_guide)
  install(FILES ${VARNOTEK_OPERATOR_GUIDE} DESTINATION ${doc_dir})
endif()
if(TARGET qeltool_pages)
  install(FILES ${VARNOTEK_CHANGELOG} DESTINATION ${doc_dir})
  install(FILES ${VARNOTEK_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${VARNOTEK_BASH_COMPLETION} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  install(FILES ${VARNOTEK_ZSH_COMPLETION} DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnotek)
set(CPACK_PACKAGE_VENDOR Varnotek)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "analyses recordings of vehicle data-bus words (qeltool)")
# The extended description, in lines for the package's control file (no double quotes: CPack
# would turn them into semicolons).
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Varnotek records the words carried on vehicle data buses (LDB, MDM, MEC, EIU,\n"
    "MIL-STD-1553) with a KOLVA bus-recorder card into .qel data files of\n"
    "time-tagged 16-byte records.\n"
    "\n"
    "This package holds qeltool, the recorder's data-file tasks on the command line:\n"
    "the text report of a recording laid out for the bus; searches by bit pattern,\n"
    "sync, errors, bus and time gap; finding a time tag; counts and statistics;\n"
    "converting memory dumps; export as IRIG 106 Chapter 10 or CSV; cutting a time\n"
    "window; an HTML overview of a recording; simulated data files. With the\n"
    "operator's guide (QELHELP.PDF), a manual page and bash and zsh completion.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VARNOTEK_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
