# Shared build helpers.
include(GoogleTest)

# mq_add_library(name SOURCES ... [LIBS ...])
function(mq_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# mq_add_test(name SOURCES ... [LIBS ...] [QT])
# QT tests get a main() that creates a QApplication on the offscreen platform.
function(mq_add_test name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} mq_test_support_qt)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} mq_test_support)
  endif()
  # Parameters are named by their index: struct parameters would print as byte dumps.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# mq_gzip_file(source output): a file compressed as Debian installs manual pages and logs.
function(mq_gzip_file source output)
  get_filename_component(folder ${output} DIRECTORY)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${source} ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${source}"
    VERBATIM)
endfunction()
