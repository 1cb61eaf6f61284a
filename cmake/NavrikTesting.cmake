# add_unit_test(NAME SOURCES ... LIBS ...): one test executable per class or concept,
# registered with CTest under its own name so a failure names what broke.
# Widget tests (LIBS containing navrik_gui) run on the offscreen platform.
find_package(GTest REQUIRED)
find_package(Qt6 REQUIRED COMPONENTS Test)

function(add_unit_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS})
    if(navrik_gui IN_LIST T_LIBS)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
        target_link_libraries(${name} PRIVATE Qt6::Test)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/${name}.config"
            LABELS widget)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES LABELS core)
    endif()
endfunction()
