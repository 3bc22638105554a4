mq_add_fuzzer(interchange SOURCES interchange_fuzz.cpp LIBS mq_interchange)
