mq_add_fuzzer(net SOURCES net_fuzz.cpp LIBS mq_net)
