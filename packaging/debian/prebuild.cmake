# Run by CPack on the staged tree before it builds the .deb: Debian's doc folder and manual pages.
#   usr/share/doc/numo/copyright      the licence in Debian's machine-readable format
#   usr/share/doc/numo/changelog.gz   the changelog in Debian's format (a native package's name)
#   usr/share/man/man1/numo.1.gz      manual pages compressed
#   usr/share/lintian/overrides/numo  the lintian warnings that do not apply, and why
# LICENSE and CHANGELOG.md leave the doc folder: these two files say the same.
set(source ${CPACK_NUMO_SOURCE_DIR})
# Debian's folders, whatever the install rules' names for them.
set(share ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share)
set(doc ${share}/doc/numo)
if(NOT IS_DIRECTORY ${doc})
    message(FATAL_ERROR "prebuild: the staged tree has no ${doc}")
endif()

file(READ ${source}/packaging/debian/copyright.head head)
file(READ ${source}/LICENSE license)
# Without the title and the copyright line, which the header says; each line indented, a blank
# line written as " .".
string(REGEX REPLACE "^[^\n]*\n\n[^\n]*\n\n" "" license "${license}")
string(REGEX REPLACE "\n+$" "" license "${license}")
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " body " ${license}")
file(WRITE ${doc}/copyright "${head}${body}\n")
file(REMOVE ${doc}/LICENSE ${doc}/CHANGELOG.md)

execute_process(
    COMMAND bash ${source}/packaging/debian/changelog.sh ${source}/CHANGELOG.md
            ${CPACK_DEBIAN_PACKAGE_MAINTAINER}
    OUTPUT_FILE ${doc}/changelog COMMAND_ERROR_IS_FATAL ANY)
file(GLOB pages ${share}/man/man*/*)
foreach(file ${doc}/changelog ${pages})
    execute_process(COMMAND gzip -9nf ${file} COMMAND_ERROR_IS_FATAL ANY)
endforeach()

file(MAKE_DIRECTORY ${share}/lintian/overrides)
file(COPY_FILE ${source}/packaging/debian/lintian-overrides ${share}/lintian/overrides/numo)
