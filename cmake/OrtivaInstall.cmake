# Install rules and a package config, so that another project can find_package(Ortiva) and
# link Ortiva::ortiva (with Ortiva::memory and Ortiva::qt for the control toolkits).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ortiva_installed ortiva_common ortiva_data_core ortiva_sqlite ortiva_management_sqlite ortiva_memory ortiva)
if(ORTIVA_ODBC)
    list(APPEND ortiva_installed ortiva_odbc)
endif()
if(ORTIVA_QT)
    list(APPEND ortiva_installed ortiva_qt)
endif()
foreach(target IN LISTS ortiva_installed)
    string(REPLACE "ortiva_" "" export_name ${target})
    set_target_properties(${target} PROPERTIES EXPORT_NAME ${export_name})
endforeach()

install(TARGETS ${ortiva_installed} EXPORT OrtivaTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/ortiva DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(TARGET ortiva_cli)
    install(TARGETS ortiva_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Ortiva)
install(EXPORT OrtivaTargets NAMESPACE Ortiva:: DESTINATION ${config_dir})
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/OrtivaConfig.cmake.in [=[
@PACKAGE_INIT@
include(CMakeFindDependencyMacro)
find_dependency(SQLite3)
if(@ORTIVA_ODBC@)
    find_dependency(ODBC)
endif()
if(@ORTIVA_QT@)
    find_dependency(Qt6 COMPONENTS Widgets)
endif()
include("${CMAKE_CURRENT_LIST_DIR}/OrtivaTargets.cmake")
]=])
configure_package_config_file(${CMAKE_CURRENT_BINARY_DIR}/OrtivaConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/OrtivaConfig.cmake
                              INSTALL_DESTINATION ${config_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/OrtivaConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/OrtivaConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/OrtivaConfigVersion.cmake
        DESTINATION ${config_dir})
