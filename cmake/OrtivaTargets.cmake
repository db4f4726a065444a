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

# A static library from every .cpp in the given folders, with the public headers and src/
# (for the internal seam headers) on its include path. Each Ortiva target has an Ortiva::
# alias.
function(ortiva_add_library name)
    set(sources)
    foreach(dir IN LISTS ARGN)
        file(GLOB dir_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
        list(APPEND sources ${dir_sources})
    endforeach()
    if(NOT sources)
        # A part whose sources have not been written yet still gives a linkable target.
        set(sources ${CMAKE_BINARY_DIR}/empty_${name}.cpp)
        file(WRITE ${sources} "// no sources yet\n")
    endif()
    add_library(${name} STATIC ${sources})
    string(REPLACE "ortiva_" "" alias ${name})
    add_library(Ortiva::${alias} ALIAS ${name})
    target_include_directories(${name}
        PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include> $<INSTALL_INTERFACE:include>
        PRIVATE ${PROJECT_SOURCE_DIR}/src)
    target_compile_features(${name} PUBLIC cxx_std_20)
    ortiva_target_options(${name})
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
