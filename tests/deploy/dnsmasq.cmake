# The dnsmasq writer, checked by dnsmasq --test where dnsmasq is installed.
mq_add_test(deploy_dnsmasq_tests SOURCES dnsmasq_test.cpp LIBS mq_deploy mq_test_helpers)

# The campus plan's outputs against the files kept in fixtures/campus.
mq_add_test(deploy_fixture_tests SOURCES fixtures_test.cpp LIBS mq_deploy mq_test_helpers)
target_compile_definitions(deploy_fixture_tests PRIVATE MQ_CAMPUS_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/fixtures/campus")
