# What the Windows cross-build needs beyond the toolchain: Debian's header-only libraries
# (CLI11, nlohmann-json) without the rest of the host's /usr/include, whose C library headers
# would shadow mingw's, and GoogleTest built from Debian's source tree.

set(host_headers ${CMAKE_BINARY_DIR}/hostHeaders)
file(MAKE_DIRECTORY ${host_headers})
foreach(library CLI nlohmann)
    if(NOT EXISTS ${host_headers}/${library})
        file(CREATE_LINK /usr/include/${library} ${host_headers}/${library} SYMBOLIC)
    endif()
endforeach()
include_directories(SYSTEM ${host_headers})

# find_package(nlohmann_json) in the folders that use it finds this.
set(json_config ${CMAKE_BINARY_DIR}/hostConfig/nlohmann_json)
file(WRITE ${json_config}/nlohmann_jsonConfig.cmake
     "if(NOT TARGET nlohmann_json::nlohmann_json)\n"
     "    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)\n"
     "    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES\n"
     "        INTERFACE_INCLUDE_DIRECTORIES ${host_headers})\n"
     "endif()\n")
set(nlohmann_json_DIR ${json_config} CACHE PATH "nlohmann-json for the cross-build" FORCE)

# Winsock, the multimedia timer and the rest come with mingw; only GoogleTest is built here.
set(googletest_source /usr/src/googletest/googletest)
if(EXISTS ${googletest_source}/CMakeLists.txt AND NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(${googletest_source} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Compiled as the test programs of this build are (test_program_options).
    target_compile_options(gtest PRIVATE -w ${test_program_options})
    target_compile_options(gtest_main PRIVATE -w ${test_program_options})
    # GoogleTest's own build names them GTest::gtest and GTest::gtest_main too.
    set(GTest_FOUND TRUE)
endif()
