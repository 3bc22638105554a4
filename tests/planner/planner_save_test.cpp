// The planner saves a plan under the lock that mqnet's commands edit it under, so that a
// command changing the file meanwhile finishes before the save replaces it.
#include "plan/file_lock.h"
#include "planner/planner_form.h"
#include "tests/planner/fake_planner_services.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace mq::planner {
namespace {

// True when a thread of this process waits for a file lock ("1: -> FLOCK ... PID ...").
bool waitingForLock()
{
    std::ifstream locks("/proc/locks");
    std::string number, arrow, kind, mode, access, holder;
    for (std::string line; std::getline(locks, line);) {
        std::istringstream(line) >> number >> arrow >> kind >> mode >> access >> holder;
        if (arrow == "->" && holder == std::to_string(::getpid()))
            return true;
    }
    return false;
}

TEST(PlannerSave, WaitsForACommandEditingTheFile)
{
    char name[] = "/tmp/planner-save-XXXXXX.mqplan";
    const int fd = ::mkstemps(name, 7);
    ASSERT_GE(fd, 0);
    ::close(fd);
    test::FakePlannerServices sv;
    PlannerForm form{sv};
    ASSERT_TRUE(form.newPlan("192.168.0.0/24"));
    sv.fileNames.push_back(name);

    plan::FileLock command;  // as mqnet holds it from reading the plan to replacing it
    ASSERT_EQ(command.lock(name), "");
    std::atomic<bool> saved{false}, done{false};
    std::thread save([&] {
        saved = form.saveAs();
        done = true;
    });
    // Polled, not timed: the save either waits for the lock or has already written.
    while (!waitingForLock() && !done)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(done) << "saved while the file was locked";
    command.release();
    save.join();
    EXPECT_TRUE(saved);
    EXPECT_EQ(sv.files.count(name), 1u);
    std::remove(name);
}

}  // namespace
}  // namespace mq::planner
