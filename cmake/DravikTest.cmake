# dravik_add_test(<source>): one test executable per test source.
# Logic tests (tests/<folder>/*Test.cpp) link the logic library and carry the
# label "logic" (they also run under the sanitizers); widget tests
# (tests/<folder>/qt/*Test.cpp) link the Qt library and run offscreen.
include(GoogleTest)

# The two test mains are compiled once and linked into every test of their kind.
function(dravik_test_main target source)
    if(NOT TARGET ${target})
        add_library(${target} OBJECT ${source})
        target_include_directories(${target} PRIVATE ${DRAVIK_TEST_DIR})
        target_link_libraries(${target} PRIVATE ${ARGN} GTest::gtest)
    endif()
endfunction()

function(dravik_add_test source)
    get_filename_component(name ${source} NAME_WE)
    get_filename_component(dir ${source} DIRECTORY)
    get_filename_component(dirname ${dir} NAME)
    if(dirname STREQUAL "qt")
        if(DRAVIK_LOGIC_ONLY)
            return()
        endif()
        get_filename_component(parent ${dir} DIRECTORY)
        get_filename_component(folder ${parent} NAME)
        set(target qt_${folder}_${name})
        # A test that needs its own application object brings its own main().
        file(STRINGS ${source} own_main REGEX "^int main\\(")
        if(own_main)
            add_executable(${target} ${source})
        else()
            dravik_test_main(dravik_qt_test_main ${DRAVIK_TEST_DIR}/support/QtTestMain.cpp
                             dravik_qt)
            add_executable(${target} ${source} $<TARGET_OBJECTS:dravik_qt_test_main>)
        endif()
        set_target_properties(${target} PROPERTIES AUTOMOC ON)
        target_link_libraries(${target} PRIVATE dravik_qt Qt6::Test GTest::gtest GTest::gmock)
        set(labels widget)
        set(env "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")
        if(folder STREQUAL "ncsim")
            target_link_libraries(${target} PRIVATE ncsim_core)
        endif()
    else()
        set(target ${dirname}_${name})
        dravik_test_main(dravik_logic_test_main ${DRAVIK_TEST_DIR}/support/LogicTestMain.cpp
                         dravik_logic)
        add_executable(${target} ${source} $<TARGET_OBJECTS:dravik_logic_test_main>)
        target_link_libraries(${target} PRIVATE dravik_logic GTest::gtest GTest::gmock)
        set(labels logic)
        set(env "LC_ALL=C.UTF-8")
        # Tests of and with the NC controller simulator (tools/ncsim).
        if(dirname STREQUAL "ncsim")
            target_link_libraries(${target} PRIVATE ncsim_core)
        endif()
        # Tests of the command-line tool's commands.
    endif()
    target_include_directories(${target} PRIVATE ${DRAVIK_TEST_DIR})
    # Tests find the corpus beside the repository (support/Corpus.h).
    target_compile_definitions(${target} PRIVATE DRAVIK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    gtest_discover_tests(${target} PROPERTIES LABELS "${labels}" ENVIRONMENT "${env}"
                         DISCOVERY_TIMEOUT 60)
endfunction()
