# dravik_add_tests(<folder>): one test program per folder of tests, since a link of
# the Qt library costs more than the compile of most test sources (and a program per
# source made the test build mostly links). Logic tests (tests/<folder>/*Test.cpp)
# become <folder>_tests, link the logic library and carry the label "logic" (they
# also run under the sanitizers); widget tests (tests/<folder>/qt/*Test.cpp) become
# qt_<folder>_tests, link the Qt library and run offscreen. A widget test that
# brings its own main() (its own application object) stays a program of its own.
# ctest still lists every case on its own (gtest_discover_tests), so
# `ctest -R Name` and `--gtest_filter` keep single runs quick.
include(GoogleTest)

# The two test mains are compiled once and linked into every test of their kind.
function(dravik_test_main target source)
    if(NOT TARGET ${target})
        add_library(${target} OBJECT ${source})
        target_include_directories(${target} PRIVATE ${DRAVIK_TEST_DIR})
        target_link_libraries(${target} PRIVATE ${ARGN} GTest::gtest)
    endif()
endfunction()

function(dravik_finish_test target labels env)
    target_include_directories(${target} PRIVATE ${DRAVIK_TEST_DIR})
    target_link_libraries(${target} PRIVATE GTest::gtest GTest::gmock)
    # Tests find the corpus beside the repository (support/Corpus.h).
    target_compile_definitions(${target} PRIVATE DRAVIK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    gtest_discover_tests(${target} PROPERTIES LABELS "${labels}" ENVIRONMENT "${env}"
                         DISCOVERY_TIMEOUT 120)
endfunction()

function(dravik_add_tests folder)
    set(dir ${DRAVIK_TEST_DIR}/${folder})
    file(GLOB logic_sources CONFIGURE_DEPENDS ${dir}/*Test.cpp)
    if(logic_sources)
        set(target ${folder}_tests)
        dravik_test_main(dravik_logic_test_main ${DRAVIK_TEST_DIR}/support/LogicTestMain.cpp
                         dravik_logic)
        add_executable(${target} ${logic_sources} $<TARGET_OBJECTS:dravik_logic_test_main>)
        target_link_libraries(${target} PRIVATE dravik_logic)
        dravik_pch(${target} STD TEST)
        dravik_finish_test(${target} logic "LC_ALL=C.UTF-8")
    endif()
    if(DRAVIK_LOGIC_ONLY)
        return()
    endif()
    file(GLOB qt_sources CONFIGURE_DEPENDS ${dir}/qt/*Test.cpp)
    set(shared_main "")
    foreach(source IN LISTS qt_sources)
        file(STRINGS ${source} own_main REGEX "^int main\\(")
        if(own_main)
            get_filename_component(name ${source} NAME_WE)
            set(target qt_${folder}_${name})
            add_executable(${target} ${source})
            set_target_properties(${target} PROPERTIES AUTOMOC ON)
            target_link_libraries(${target} PRIVATE dravik_qt Qt6::Test)
            dravik_finish_test(${target} widget "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")
        else()
            list(APPEND shared_main ${source})
        endif()
    endforeach()
    if(shared_main)
        set(target qt_${folder}_tests)
        dravik_test_main(dravik_qt_test_main ${DRAVIK_TEST_DIR}/support/QtTestMain.cpp dravik_qt)
        add_executable(${target} ${shared_main} $<TARGET_OBJECTS:dravik_qt_test_main>)
        set_target_properties(${target} PROPERTIES AUTOMOC ON)
        target_link_libraries(${target} PRIVATE dravik_qt Qt6::Test)
        dravik_pch(${target} STD QT TEST)
        dravik_finish_test(${target} widget "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")
    endif()
endfunction()
