# Install rules for Linux: the program, its module with the language and help files, the manual
# page, the documents and the bash completion. Included from the top-level CMakeLists.txt once
# every target exists.
#
#   <bindir>/numo                                  the program
#   <libdir>/numo/libnumo.so, *.lng, *.hlf         the module, read from its own folder
#   <mandir>/man1/numo.1                           the manual page
#   <datadir>/doc/numo/README.md LICENSE CHANGELOG.md
#   <datadir>/bash-completion/completions/numo
#
# The program finds the module beside itself (the build tree) or at the path from its own folder
# to <libdir>/numo worked out here: relative, so an installed tree may be moved, and no prefix is
# compiled in. With the prefix /usr, GNUInstallDirs makes the libdir Debian's lib/<multiarch>.

set(NUMO_INSTALL_MODULEDIR ${CMAKE_INSTALL_LIBDIR}/numo)
file(RELATIVE_PATH NUMO_MODULE_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBDIR}/numo)
target_compile_definitions(numo_cli PRIVATE NUMO_MODULE_FROM_BINDIR="${NUMO_MODULE_FROM_BINDIR}")

# The language and help files the build writes beside the module (lang/).
get_property(numo_lang_outputs GLOBAL PROPERTY NUMO_LANG_OUTPUTS)

install(TARGETS numo_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS numo LIBRARY DESTINATION ${NUMO_INSTALL_MODULEDIR})
install(FILES ${numo_lang_outputs} DESTINATION ${NUMO_INSTALL_MODULEDIR})
set(NUMO_MODULE_DIR ${CMAKE_INSTALL_FULL_LIBDIR}/numo)
configure_file(packaging/numo.1.in ${CMAKE_BINARY_DIR}/numo.1 @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/numo.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md LICENSE CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES packaging/numo.bash-completion DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME numo)
