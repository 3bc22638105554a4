mq_add_fuzzer(vlsm SOURCES vlsm_fuzz.cpp LIBS mq_vlsm)
