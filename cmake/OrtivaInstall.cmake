# Install rules, a CMake package and pkg-config files, so that another project can
#   find_package(Ortiva 0.1 COMPONENTS sqlite odbc qt management)
# and link Ortiva::ortiva (Ortiva::memory and Ortiva::qt for the control toolkits), or ask
# pkg-config for ortiva, ortiva-memory and ortiva-qt.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Internal archives are installed only for static builds, where the final link needs them; a
# shared libortiva carries them inside.
set(ortiva_internal ortiva_common ortiva_data_core ortiva_sqlite ortiva_management_sqlite)
if(ORTIVA_ODBC)
    list(APPEND ortiva_internal ortiva_odbc)
endif()
foreach(target IN LISTS ortiva_internal)
    set_target_properties(${target} PROPERTIES EXPORT_NAME internal_${target})
endforeach()
set_target_properties(ortiva_memory PROPERTIES EXPORT_NAME memory)
if(ORTIVA_QT)
    set_target_properties(ortiva_qt PROPERTIES EXPORT_NAME qt)
endif()

# Components that live inside libortiva get a target of their own to name in a link line.
set(ortiva_components sqlite management memory)
foreach(part IN ITEMS sqlite management odbc)
    if(part STREQUAL "odbc" AND NOT ORTIVA_ODBC)
        continue()
    endif()
    add_library(ortiva_component_${part} INTERFACE)
    target_link_libraries(ortiva_component_${part} INTERFACE ortiva)
    set_target_properties(ortiva_component_${part} PROPERTIES EXPORT_NAME ${part})
    list(APPEND ortiva_component_targets ortiva_component_${part})
endforeach()
if(ORTIVA_ODBC)
    list(APPEND ortiva_components odbc)
endif()

set(ortiva_main ortiva ortiva_memory ${ortiva_component_targets})
if(NOT BUILD_SHARED_LIBS)
    list(APPEND ortiva_main ${ortiva_internal})
endif()
install(TARGETS ${ortiva_main} EXPORT OrtivaTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# Qt's targets are needed only by those who ask for the qt component, so they are a file of
# their own that the package config loads on request.
if(ORTIVA_QT)
    list(APPEND ortiva_components qt)
    install(TARGETS ortiva_qt EXPORT OrtivaQtTargets
            ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
            LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
            INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endif()
set(ortiva_headers_exclude)
if(NOT ORTIVA_QT)
    set(ortiva_headers_exclude PATTERN qt_controls.hpp EXCLUDE)
endif()
install(DIRECTORY include/ortiva DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} ${ortiva_headers_exclude})
if(TARGET ortiva_cli)
    install(TARGETS ortiva_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The C interface is loaded by name (ctypes, other FFIs), not linked through the package.
install(TARGETS ortiva_c_library LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ortiva)

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Ortiva)
install(EXPORT OrtivaTargets NAMESPACE Ortiva:: DESTINATION ${config_dir})
if(ORTIVA_QT)
    install(EXPORT OrtivaQtTargets NAMESPACE Ortiva:: DESTINATION ${config_dir})
endif()

# A static libortiva leaves SQLite (and unixODBC when built in) to the final link.
set(ORTIVA_STATIC_DEPENDENCIES)
if(NOT BUILD_SHARED_LIBS)
    set(ORTIVA_STATIC_DEPENDENCIES SQLite3)
    if(ORTIVA_ODBC)
        list(APPEND ORTIVA_STATIC_DEPENDENCIES ODBC)
    endif()
    if(ORTIVA_POSTGRES)
        list(APPEND ORTIVA_STATIC_DEPENDENCIES PostgreSQL)
    endif()
endif()
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/OrtivaConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/OrtivaConfig.cmake
                              INSTALL_DESTINATION ${config_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/OrtivaConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/OrtivaConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/OrtivaConfigVersion.cmake
        DESTINATION ${config_dir})

# pkg-config: static consumers ask with --static and get the archives and native libraries.
# The native ones are named directly: a static Ortiva still links them as shared libraries,
# and their own --static closure (unixODBC's libltdl) is not needed for that.
set(ORTIVA_PC_PRIVATE_LIBS)
if(NOT BUILD_SHARED_LIBS)
    foreach(target IN ITEMS ortiva_sqlite ortiva_management_sqlite ortiva_odbc ortiva_data_core
                            ortiva_common)
        if(TARGET ${target})
            string(APPEND ORTIVA_PC_PRIVATE_LIBS " -l${target}")
        endif()
    endforeach()
    string(APPEND ORTIVA_PC_PRIVATE_LIBS " -lsqlite3")
    if(ORTIVA_ODBC)
        string(APPEND ORTIVA_PC_PRIVATE_LIBS " -lodbc")
    endif()
    if(ORTIVA_POSTGRES)
        string(APPEND ORTIVA_PC_PRIVATE_LIBS " -lpq")
    endif()
endif()
# Relative to the file itself, so that an installed tree can be moved (or installed with
# cmake --install --prefix) and still be found.
file(RELATIVE_PATH pc_to_prefix /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
set(ORTIVA_PC_PREFIX "\${pcfiledir}/${pc_to_prefix}")
set(pc_files ortiva ortiva-memory)
if(ORTIVA_QT)
    list(APPEND pc_files ortiva-qt)
endif()
foreach(pc IN LISTS pc_files)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/${pc}.pc.in ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc
                   @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${pc}.pc
            DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
