# tessaron_add_test(NAME <name> FOLDER <dir> LIBS <libs...> [QT])
#
# Adds one test executable built from every Test*.cpp of <dir>/tests and
# registers it with CTest. QtTest files register their classes with
# TESSARON_TEST (testing/TestRegistry.h) and share one main. Qt tests run headless on the offscreen platform;
# tests that need a locale set it themselves.
function(tessaron_add_test)
    cmake_parse_arguments(T "QT;GTEST" "NAME;FOLDER;TIMEOUT" "LIBS;SOURCES" ${ARGN})
    if(NOT TESSARON_TESTS)
        return()
    endif()
    file(GLOB test_sources CONFIGURE_DEPENDS ${T_FOLDER}/tests/*.cpp)
    list(APPEND test_sources ${T_SOURCES})
    add_executable(${T_NAME} ${test_sources})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS})
    if(T_GTEST)
        find_package(GTest REQUIRED)
        target_link_libraries(${T_NAME} PRIVATE GTest::gtest GTest::gtest_main)
        set_target_properties(${T_NAME} PROPERTIES AUTOMOC OFF)
    endif()
    if(T_QT)
        target_sources(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/testing/QtTestMain.cpp)
        target_link_libraries(${T_NAME} PRIVATE Qt6::Test Qt6::Widgets)
    endif()
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_compile_definitions(${T_NAME} PRIVATE
        TESSARON_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        TESSARON_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
        TESSARON_FIXTURES_DIR="${CMAKE_SOURCE_DIR}/xbase/tests/fixtures")
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0")
endfunction()
