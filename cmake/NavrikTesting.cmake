# SPDX-License-Identifier: MIT
# add_unit_test(NAME [WIDGETS] SOURCES ... LIBS ...): one test executable per class or concept,
# registered with CTest under its own name so a failure names what broke. WIDGETS tests are Qt
# Test programs run on the offscreen platform with a settings folder of their own; the others are
# GoogleTest programs.
find_package(GTest REQUIRED)
find_package(Qt6 REQUIRED COMPONENTS Test)

function(add_unit_test name)
    cmake_parse_arguments(T "WIDGETS" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    if(T_WIDGETS)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
        target_link_libraries(${name} PRIVATE Qt6::Test)
        target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
        set_tests_properties(${name} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/${name}.config"
            LABELS widget)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
        set_tests_properties(${name} PROPERTIES LABELS core)
    endif()
endfunction()
