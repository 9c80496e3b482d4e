# Helpers shared by the folders' CMakeLists.

# brenmo_engine_library(NAME SOURCES... DEPENDS targets...)
# One engine subsystem: a static library of position-independent, hidden-visibility code that
# exports/ links whole into libbrenmo.so.
function(brenmo_engine_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
    set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# brenmo_test(NAME SOURCES... LIBS targets...)
# A GoogleTest program registered with ctest as one test.
function(brenmo_test name)
    if(NOT BRENMO_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} testkit GTest::gmock GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name})
endfunction()
