mq_add_test(deploy_zones_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/zones_test.cpp LIBS mq_deploy)
