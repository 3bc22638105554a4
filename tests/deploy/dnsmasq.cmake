# The dnsmasq writer, checked by dnsmasq --test where dnsmasq is installed.
mq_add_test(deploy_dnsmasq_tests SOURCES dnsmasq_test.cpp LIBS mq_deploy mq_test_helpers)

# The campus plan's outputs against the files kept in fixtures/campus, each writer's where
# its source is there.
set(mq_fixture_writers)
foreach(part kea zones)
  string(TOUPPER ${part} upper)
  if(EXISTS ${PROJECT_SOURCE_DIR}/deploy/${part}.cpp)
    list(APPEND mq_fixture_writers MQ_DEPLOY_${upper}=1)
  else()
    list(APPEND mq_fixture_writers MQ_DEPLOY_${upper}=0)
  endif()
endforeach()
mq_add_test(deploy_fixture_tests SOURCES fixtures_test.cpp LIBS mq_deploy mq_test_helpers)
target_compile_definitions(deploy_fixture_tests PRIVATE ${mq_fixture_writers}
  MQ_CAMPUS_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/fixtures/campus")
