# Installation: the shared libraries with their sonames, the headers of the exported interface,
# the drivers, the example project, and what a consumer finds them with (a CMake package and
# pkg-config files). `cmake --install` and the Debian package both use these rules.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(BRENMO_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/brenmo)
set(BRENMO_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Brenmo)
set(BRENMO_DATADIR ${CMAKE_INSTALL_DATADIR}/brenmo)

# The headers a program built on the libraries includes: those that declare what libbrenmo
# exports, the host interface, the stand-in host's installer, and every header they include.
# Nothing else is installed, so a header of this list that includes one outside it breaks the
# consumer test, which compiles each installed header on its own.
set(BRENMO_PUBLIC_HEADERS
    analysis/MassStrings.h analysis/MaxScan.h analysis/Optimise.h analysis/ScanParams.h method/ScanParams.h
    chemistry/Adduct.h chemistry/AdductGroup.h
    fileutil/FileUtil.h
    groups/Group.h groups/GroupItem.h groups/GroupItemList.h groups/IntList.h groups/QuanState.h
    host/HostRecords.h host/host.h
    kelvane/KelvaneHost.h instrument/SimulatedInstrument.h
    method/BrenmoOptions.h method/IonMode.h method/TessalyOptionsSheet.h method/RampSteps.h
    methodgen/FinalQuanMethods.h methodgen/MasterMethod.h methodgen/MethodNames.h
    methodgen/MethodRecord.h methodgen/Stage1QuanMethod.h methodgen/TuneSwitching.h
    platform/CString.h platform/Collections.h platform/DataExchange.h platform/Dialog.h
    platform/DialogTemplate.h platform/Export.h platform/FileDialog.h platform/LastError.h
    platform/Platform.h platform/Profile.h platform/PropertySheet.h platform/SplitPath.h
    platform/UserInterface.h platform/WinPath.h platform/WinTypes.h
    results/OptimiseResults.h
    ui/OptionsPages.h ui/QuanFileDialog.h ui/TessalyMessageBox.h ui/TessalyWizard.h)

# A header that gains an export must be installed too, or a consumer cannot call what it declares.
file(GLOB brenmo_all_headers RELATIVE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/*/*.h)
foreach(header IN LISTS brenmo_all_headers)
    if(header STREQUAL "platform/Export.h" OR header MATCHES "^(build|testing|tests|fuzz|bench)/")
        continue()
    endif()
    file(STRINGS ${PROJECT_SOURCE_DIR}/${header} exporting REGEX "BRENMO_API")
    if(exporting AND NOT header IN_LIST BRENMO_PUBLIC_HEADERS)
        message(FATAL_ERROR "${header} declares exported names but is not in BRENMO_PUBLIC_HEADERS")
    endif()
endforeach()

foreach(header IN LISTS BRENMO_PUBLIC_HEADERS)
    get_filename_component(folder ${header} DIRECTORY)
    install(FILES ${header} DESTINATION ${BRENMO_INCLUDEDIR}/${folder})
endforeach()

# The libraries. Each carries the major version in its soname; the libraries find each other
# beside themselves, so a tree installed under any prefix runs without LD_LIBRARY_PATH. A system
# library directory needs no search path and gets none.
set(brenmo_libraries brenmo brenmo_host brenmo_platform kelvane)
set_target_properties(brenmo_host PROPERTIES EXPORT_NAME host)
set_target_properties(brenmo_platform PROPERTIES EXPORT_NAME platform)
set_target_properties(${brenmo_libraries} PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
if(NOT CMAKE_INSTALL_FULL_LIBDIR IN_LIST CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES)
    set_target_properties(${brenmo_libraries} PROPERTIES INSTALL_RPATH "$ORIGIN")
    set(brenmo_program_rpath "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
endif()
install(TARGETS ${brenmo_libraries} EXPORT BrenmoTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} ${BRENMO_INCLUDEDIR})

# The drivers and the example project they run on.
set(brenmo_programs tessaly)
if(TARGET tessaly-gui)
    list(APPEND brenmo_programs tessaly-gui)
endif()
set_target_properties(${brenmo_programs} PROPERTIES INSTALL_RPATH "${brenmo_program_rpath}")
install(TARGETS ${brenmo_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${BRENMO_DATADIR}/examples)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/scripts/demo DESTINATION ${BRENMO_DATADIR})
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# find_package(Brenmo 1): the exported targets Brenmo::brenmo, Brenmo::host, Brenmo::platform and
# Brenmo::kelvane. Any 1.x satisfies a request for 1.
install(EXPORT BrenmoTargets NAMESPACE Brenmo:: DESTINATION ${BRENMO_CMAKEDIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/BrenmoConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/BrenmoConfig.cmake INSTALL_DESTINATION ${BRENMO_CMAKEDIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/BrenmoConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/BrenmoConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/BrenmoConfigVersion.cmake
    DESTINATION ${BRENMO_CMAKEDIR})

# pkg-config: brenmo (the engine with the host interface) and brenmo-kelvane (the stand-in host).
# The prefix is found from the file's own place, so the files stay right under any install prefix.
string(REGEX REPLACE "[^/]+" ".." brenmo_pc_up ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
foreach(pc brenmo brenmo-kelvane)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/${pc}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

include(cmake/Package.cmake)
