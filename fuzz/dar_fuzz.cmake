mq_add_fuzzer(dar SOURCES dar_fuzz.cpp LIBS mq_core)
