# Shared compile settings and the one precompiled header for Boost, reused by every target.

add_library(velto_options INTERFACE)
target_compile_options(velto_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                                -Wold-style-cast -Wconversion -Wno-sign-conversion)
if(VELTO_WARNINGS_AS_ERRORS)
    target_compile_options(velto_options INTERFACE -Werror)
    # g++ 12 at -O2 and -O3 reports overflows and out-of-bounds copies inside libstdc++ for plain
    # `"text" + string` (false positives of its string inlining); they stay warnings in optimised
    # builds.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(velto_options INTERFACE
                               $<$<NOT:$<CONFIG:Debug>>:-Wno-error=stringop-overflow>
                               $<$<NOT:$<CONFIG:Debug>>:-Wno-error=array-bounds>)
    endif()
endif()
# Boost::url asks for BOOST_URL_DYN_LINK (the shared library); every target gets it, so that the one
# precompiled header fits the targets that link Boost.URL and those that do not.
target_compile_definitions(velto_options INTERFACE BOOST_ASIO_NO_DEPRECATED BOOST_URL_NO_LIB BOOST_URL_DYN_LINK)
target_include_directories(velto_options INTERFACE ${PROJECT_SOURCE_DIR}/Sources)
# -pthread everywhere, so that the precompiled header matches targets that get it from pkg-config.
target_compile_options(velto_options INTERFACE -pthread)
target_link_libraries(velto_options INTERFACE Threads::Threads)
if(VELTO_SANITIZE)
    target_compile_options(velto_options INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=undefined
                                                    -fno-omit-frame-pointer)
    target_link_options(velto_options INTERFACE -fsanitize=address,undefined)
endif()
if(VELTO_FUZZ)
    # libFuzzer's coverage in every target of ours; only the fuzz programs link the fuzzer itself.
    # clang 14 cannot build the coroutine code with -fsanitize=function, so that one check is left out.
    target_compile_options(velto_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                    -fno-sanitize=function -fno-sanitize-recover=undefined
                                                    -fno-omit-frame-pointer)
    target_link_options(velto_options INTERFACE -fsanitize=address,undefined)
endif()

# The precompiled header is built once and reused by every target of ours.
add_library(velto_pch OBJECT ${PROJECT_SOURCE_DIR}/cmake/pch.cpp)
target_link_libraries(velto_pch PUBLIC velto_options Boost::headers nlohmann_json::nlohmann_json)
target_precompile_headers(velto_pch PRIVATE ${PROJECT_SOURCE_DIR}/Sources/VeltoDevice/Support/Precompiled.hpp)

function(velto_use_pch target)
    target_precompile_headers(${target} REUSE_FROM velto_pch)
endfunction()

# One static library per area of the device library: VeltoDevice<Area> from Sources/VeltoDevice/<Area>,
# or from the FILES given (relative to Sources/VeltoDevice); EXCLUDE leaves files of the folder out.
function(velto_device_area area)
    cmake_parse_arguments(ARG "" "" "DEPENDS;LIBRARIES;FILES;EXCLUDE" ${ARGN})
    if(ARG_FILES)
        list(TRANSFORM ARG_FILES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE sources)
    else()
        file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${area}/*.cpp)
        foreach(excluded IN LISTS ARG_EXCLUDE)
            list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${area}/${excluded})
        endforeach()
    endif()
    set(target VeltoDevice${area})
    if(NOT sources)
        # An area whose sources are still to come: its headers alone.
        add_library(${target} INTERFACE)
        target_link_libraries(${target} INTERFACE velto_options ${ARG_LIBRARIES})
        foreach(dependency IN LISTS ARG_DEPENDS)
            target_link_libraries(${target} INTERFACE VeltoDevice${dependency})
        endforeach()
        target_link_libraries(VeltoDevice INTERFACE ${target})
        return()
    endif()
    add_library(${target} STATIC ${sources})
    target_link_libraries(${target} PUBLIC velto_options Boost::headers nlohmann_json::nlohmann_json
                                           ${ARG_LIBRARIES})
    foreach(dependency IN LISTS ARG_DEPENDS)
        target_link_libraries(${target} PUBLIC VeltoDevice${dependency})
    endforeach()
    velto_use_pch(${target})
    target_link_libraries(VeltoDevice INTERFACE ${target})
endfunction()

# One test program per area: Tests/VeltoDeviceTests/<Area>/*.cpp, linked with VeltoDevice<Area>
# unless LINK names the libraries under test. Tests of one RESOURCE_LOCK never run at the same time.
function(velto_area_tests area)
    cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "LIBRARIES;LINK" ${ARGN})
    if(NOT ARG_LINK)
        set(ARG_LINK VeltoDevice${area})
    endif()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${area}/*.cpp)
    if(NOT sources)
        return()
    endif()
    set(target VeltoDevice${area}Tests)
    add_executable(${target} ${sources})
    target_link_libraries(${target} PRIVATE ${ARG_LINK} VeltoTestSupport GTest::gtest GTest::gmock
                                            GTest::gtest_main ${ARG_LIBRARIES})
    velto_use_pch(${target})
    set(properties ENVIRONMENT "VELTO_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
    if(ARG_RESOURCE_LOCK)
        list(APPEND properties RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
    endif()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST PROPERTIES ${properties})
endfunction()
