# Kea's configuration, checked by kea-dhcp4 -t and kea-dhcp6 -t and served by a real kea-dhcp4.
mq_add_test(deploy_kea_tests SOURCES kea_test.cpp LIBS mq_deploy)
target_compile_definitions(deploy_kea_tests PRIVATE
  MQ_KEA_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/fixtures/"
  MQ_DHCP_EXCHANGE="${CMAKE_CURRENT_SOURCE_DIR}/dhcp_exchange.sh")
