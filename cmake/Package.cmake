# `make package`: one Debian package with the libraries, the headers and consumer files, the
# drivers and the example. Its dependencies come from dpkg-shlibdeps on what it ships, and it
# declares its own libraries' sonames for packages built against it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brenmo)
set(CPACK_PACKAGE_VENDOR "Brenmo")
set(CPACK_PACKAGE_CONTACT "Brenmo developers <developers@brenmo.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Compound optimisation engine for LC-MS/MS laboratories")
# The long description as Debian shows it, under the summary: lines of at most 80 characters.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Brenmo finds, for every compound of a list, the cone voltage and collision
energy that give the strongest signal, and turns the results into quantify
methods. The package holds libbrenmo with its host interface, the Kelvane
host stand-in with a simulated instrument, the tessaly and tessaly-gui
drivers, the example project, and the headers, CMake package and pkg-config
files to build on them.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
# Within a major version a newer library serves programs built against an older one.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The libraries' cache is refreshed by a trigger, once per dpkg run, and the changelog names this
# version: configuring stops when its newest entry is for another.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^brenmo \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "cmake/debian/changelog: its newest entry is not for ${PROJECT_VERSION}")
endif()
execute_process(COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/cmake/debian/changelog
    OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
include(CPack)
