mq_add_test(deploy_core_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/deploy_core_test.cpp LIBS mq_deploy mq_test_helpers)
