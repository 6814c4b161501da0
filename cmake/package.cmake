# The Debian package, built by CPack's DEB generator from the install rules (scripts/package
# configures with the prefix /usr, so the module goes to /usr/lib/<multiarch>/numo).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME numo)
set(CPACK_PACKAGE_VENDOR "the numo authors")
set(CPACK_PACKAGE_CONTACT "the numo authors <numo@example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "live calculator for the console, with its file-manager plug-in")
# The long description as Debian wants it: lines of at most 80 columns, " ." between paragraphs.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "numo is a calculator dialog that evaluates a formula as it is typed:"
    "numbers, the variables a, b and c, the constants pi and e, the operators"
    "+ - * / ^, parentheses and eighteen functions. It shows the postfix"
    "form, the result with adjustable decimals and the integer part in"
    "hexadecimal and binary, or a numbered message for a formula it cannot"
    "evaluate."
    "."
    "The calculator is a plug-in module for a console file manager's plug-in"
    "interface. This package holds the module built for Linux and the program"
    "numo, which loads the module and runs the calculator in a terminal, or"
    "without a screen for scripts (numo eval)."
)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# What Debian asks of a package's doc folder and manual pages, done on the staged tree.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/debian/prebuild.cmake)
set(CPACK_NUMO_SOURCE_DIR ${CMAKE_SOURCE_DIR})
include(CPack)
