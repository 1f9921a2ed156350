# One function to add a library and one to add a test, so every folder builds the same way.

set(QUILLON_WARNINGS -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)

# quillon_add_library(NAME SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
function(quillon_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_compile_options(${name} PRIVATE ${QUILLON_WARNINGS})
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
endfunction()

# quillon_add_test(NAME SOURCES ... LIBS ... [LABELS ...] [TIMEOUT secs] [ARGS ...])
# Every test runs headless with an empty configuration folder of its own.
function(quillon_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS;ARGS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE ${QUILLON_WARNINGS})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} q32_testsupport Qt6::Test)
    add_test(NAME ${name} COMMAND ${name} ${ARG_ARGS})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        LABELS "${ARG_LABELS}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUILLON_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;QUILLON_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

set(QUILLON_HOMEPAGE "https://github.com/quillon32/quillon32" CACHE STRING
    "The project's home page, named in the About window and the AppStream metadata")
# The version the programs print, from project(VERSION): #include "quillon/Version.h".
configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in ${PROJECT_BINARY_DIR}/generated/quillon/Version.h
               @ONLY)
add_library(q32_version INTERFACE)
target_include_directories(q32_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

# quillon_write_link_graph(FILE): one line per target of the project, "name|folder|links", the
# folder relative to the source tree and the links those the target was given (PUBLIC, PRIVATE
# and INTERFACE). scripts/check-links.sh reads it to keep libraries linking only downwards.
function(quillon_write_link_graph file)
    set(lines "")
    set(dirs ${PROJECT_SOURCE_DIR})
    while(dirs)
        list(POP_FRONT dirs dir)
        get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
        list(APPEND dirs ${subdirs})
        get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
        file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${dir})
        foreach(target ${targets})
            get_target_property(type ${target} TYPE)
            set(links "")
            if(NOT type STREQUAL "INTERFACE_LIBRARY")
                get_target_property(links ${target} LINK_LIBRARIES)
            endif()
            get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
            list(APPEND links ${interface})
            # Links added from another folder come between "::@" markers.
            list(FILTER links EXCLUDE REGEX "(-NOTFOUND|^::@.*)$")
            list(TRANSFORM links REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1")
            list(REMOVE_DUPLICATES links)
            string(APPEND lines "${target}|${folder}|${links}\n")
        endforeach()
    endwhile()
    file(WRITE ${file} "${lines}")
endfunction()
