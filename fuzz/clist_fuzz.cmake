mq_add_fuzzer(clist SOURCES clist_fuzz.cpp LIBS mq_reference)
