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

// Another program's change to the file since the window read it is not saved over unasked:
// No keeps it, Yes replaces it, and a save with nothing changed outside asks nothing.
TEST(PlannerSave, AsksBeforeReplacingAFileChangedElsewhere)
{
    char name[] = "/tmp/planner-changed-XXXXXX.mqplan";
    const int fd = ::mkstemps(name, 7);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const auto writeOnDisk = [&](const std::string& text) {  // as mqnet does: a new file renamed over
        const std::string temp = std::string(name) + ".new";
        std::ofstream(temp) << text;
        ASSERT_EQ(std::rename(temp.c_str(), name), 0);
    };
    test::FakePlannerServices sv;
    {
        PlannerForm maker{sv};
        ASSERT_TRUE(maker.newPlan("192.168.0.0/24"));
        sv.fileNames.push_back(name);
        ASSERT_TRUE(maker.saveAs());
    }
    writeOnDisk(sv.files[name]);
    PlannerForm form{sv};
    ASSERT_TRUE(form.openFile(name));
    ASSERT_TRUE(form.save());
    EXPECT_TRUE(sv.questions.empty()) << "asked with nothing changed elsewhere";

    writeOnDisk("changed by mqnet\n");
    const std::string mine = sv.files[name];
    sv.files[name] = "changed by mqnet\n";
    for (const auto answer : {Answer::No, Answer::Yes}) {
        sv.answers = {answer};
        sv.questions.clear();
        EXPECT_EQ(form.save(), answer == Answer::Yes);
        ASSERT_EQ(sv.questions.size(), 1u);
        EXPECT_NE(sv.questions[0].find("changed or removed by another program"), std::string::npos);
        EXPECT_EQ(sv.files[name], answer == Answer::Yes ? mine : "changed by mqnet\n");
    }
    sv.questions.clear();
    EXPECT_TRUE(form.save());
    EXPECT_TRUE(sv.questions.empty()) << "asked again about its own save";
    std::remove(name);
}

}  // namespace
}  // namespace mq::planner
