mq_add_fuzzer(convert SOURCES convert_fuzz.cpp LIBS mq_convert)
