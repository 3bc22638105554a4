mq_add_fuzzer(plan SOURCES plan_fuzz.cpp LIBS mq_plan)
