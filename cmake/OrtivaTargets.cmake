# Warnings and sanitizers are set per target, never through CMAKE_CXX_FLAGS.
function(ortiva_target_options target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(ORTIVA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    if(ORTIVA_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=${ORTIVA_SANITIZE}
                               -fno-sanitize-recover=all -fno-omit-frame-pointer)
        target_link_options(${target} PUBLIC -fsanitize=${ORTIVA_SANITIZE})
    endif()
endfunction()

# A library from every .cpp in the given folders, with the public headers and src/ (for the
# internal seam headers) on its include path. Each Ortiva target has an Ortiva:: alias.
# INTERNAL parts (the common types, the drivers, the management backend) are always static,
# position-independent archives folded into the library that uses them; the others follow
# BUILD_SHARED_LIBS and carry VERSION and SOVERSION. Symbols are hidden unless ORTIVA_API
# (ortiva/export.hpp) marks them.
function(ortiva_add_library name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "INTERNAL" "" "")
    set(sources)
    foreach(dir IN LISTS arg_UNPARSED_ARGUMENTS)
        file(GLOB dir_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
        list(APPEND sources ${dir_sources})
    endforeach()
    if(NOT sources)
        # A part whose sources have not been written yet still gives a linkable target.
        set(sources ${CMAKE_BINARY_DIR}/empty_${name}.cpp)
        file(WRITE ${sources} "// no sources yet\n")
    endif()
    if(arg_INTERNAL)
        add_library(${name} STATIC ${sources})
    else()
        add_library(${name} ${sources})
        set_target_properties(${name} PROPERTIES VERSION ${PROJECT_VERSION}
                                                 SOVERSION ${ORTIVA_SOVERSION})
    endif()
    set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden
                                             VISIBILITY_INLINES_HIDDEN ON)
    string(REPLACE "ortiva_" "" alias ${name})
    add_library(Ortiva::${alias} ALIAS ${name})
    target_include_directories(${name}
        PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include> $<INSTALL_INTERFACE:include>
        PRIVATE ${PROJECT_SOURCE_DIR}/src)
    target_compile_features(${name} PUBLIC cxx_std_20)
    ortiva_target_options(${name})
endfunction()

# Links internal archives into a library. A shared library takes every object of them, so
# that what they mark ORTIVA_API is exported from it; a static one passes them on to the
# final link.
function(ortiva_fold_in target)
    get_target_property(type ${target} TYPE)
    foreach(part IN LISTS ARGN)
        if(type STREQUAL "SHARED_LIBRARY")
            target_link_libraries(${target} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${part}>")
        else()
            target_link_libraries(${target} PRIVATE ${part})
        endif()
    endforeach()
endfunction()

# A GoogleTest program from every .cpp in tests/<dir>, run by CTest.
function(ortiva_add_test name dir)
    file(GLOB test_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${dir}/*.cpp)
    if(NOT test_sources)
        return()
    endif()
    add_executable(${name} ${test_sources})
    target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    ortiva_target_options(${name})
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
