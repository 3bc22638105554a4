#include "ui/frmAbout/frmabout_model.h"

#include "tests/support/fake_services.h"
#include "tests/ui/frmAbout/fake_system.h"

#include <gtest/gtest.h>

namespace mq {
namespace {

using namespace std::string_literals;
using test::FakeServices;
using test::FakeSystem;
using test::Message;

struct DecodeCase {
    const char* name;
    unsigned long type;
    std::string bytes;  // stored at the start of the buffer
    std::size_t n;  // size the read reports
    std::string expected;
};

class DecodeKeyValue : public ::testing::TestWithParam<DecodeCase> { };

TEST_P(DecodeKeyValue, FollowsTheNulAndTypeRules)
{
    const auto& p = GetParam();
    std::string buffer(kKeyValueBufferSize, '\0');
    buffer.replace(0, p.bytes.size(), p.bytes);
    std::string keyVal = "keep";
    decodeKeyValue(p.type, buffer, p.n, keyVal);
    EXPECT_EQ(keyVal, p.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeKeyValue,
    ::testing::Values(
        DecodeCase{"StringWithClosingNul", kRegString, "C:\\MSINFO\\MSINFO32.EXE\0"s, 23, "C:\\MSINFO\\MSINFO32.EXE"},
        DecodeCase{"StringWithoutNul", kRegString, "abc", 3, "abc"},
        DecodeCase{"OnlyTheCountedBytes", kRegString, "abcdef", 4, "abcd"},
        DecodeCase{"InnerNulKept", kRegString, "ab\0c"s, 4, "ab\0c"s}, DecodeCase{"EmptyRead", kRegString, "", 0, ""},
        DecodeCase{"JustNul", kRegString, "\0"s, 1, ""},
        DecodeCase{"SizeBeyondBuffer", kRegString, "xyz", 5000, std::string("xyz") + std::string(1020, '\0')},
        DecodeCase{"DwordOne", kRegDword, "\x01\0\0\0"s, 4, "1"},
        DecodeCase{"DwordLowByteFirst", kRegDword, "\x0A\x01\0\0"s, 4, "266"},
        DecodeCase{"DwordTopBitSet", kRegDword, "\xFF\xFF\xFF\xFF", 4, "4294967295"},
        DecodeCase{"DwordZero", kRegDword, "\0\0\0\0"s, 4, "0"},
        DecodeCase{"DwordHighBytes", kRegDword, "\x00\x00\x01\x80"s, 4, "2147549184"},
        DecodeCase{"BinaryLeftAlone", 3, "\x01\x02", 2, "keep"},
        DecodeCase{"MultiStringLeftAlone", 7, "a\0b\0\0"s, 5, "keep"}),
    [](const auto& info) { return std::string(info.param.name); });

class GetKeyValueTest : public ::testing::Test {
protected:
    FakeSystem sys;
    void SetUp() override
    {
        sys.registry = true;
        sys.keys["K"]["text"] = {kRegString, "hello\0"s};
        sys.keys["K"]["number"] = {kRegDword, "\x2A\0\0\0"s};
        sys.keys["K"]["huge"] = {kRegString, std::string(2000, 'x')};
    }
};

TEST_F(GetKeyValueTest, ReadsAndAlwaysClosesTheKey)
{
    struct Case {
        const char* key;
        const char* value;
        bool ok;
        const char* text;
        int closes;
    };
    const Case cases[] = {{"K", "text", true, "hello", 1},
                          {"K", "number", true, "42", 1},
                          {"K", "missing", false, "", 1},
                          {"K", "huge", false, "", 1},
                          {"Missing", "text", false, "", 0}};
    for (const auto& c : cases) {
        sys.closes = 0;
        sys.opened.clear();
        std::string keyVal = "previous";
        EXPECT_EQ(GetKeyValue(sys, KeyRoot::LocalMachine, c.key, c.value, keyVal), c.ok) << c.value;
        EXPECT_EQ(keyVal, c.text) << c.value;
        EXPECT_EQ(sys.closes, static_cast<int>(sys.opened.size())) << c.value;
        EXPECT_EQ(sys.closes, c.closes) << c.value;
    }
}

const std::string kMsinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

struct SysInfoCase {
    const char* name;
    std::function<void(FakeSystem&)> setup;
    std::vector<std::string> started;  // empty: the message is expected
};

class StartSysInfo : public ::testing::TestWithParam<SysInfoCase> { };

TEST_P(StartSysInfo, StartsTheToolOrSaysItIsUnavailable)
{
    FakeServices services;
    FakeSystem sys;
    GetParam().setup(sys);
    FrmAboutModel m(services, sys);
    m.cmdSysInfo_Click();
    EXPECT_EQ(sys.started, GetParam().started);
    if (GetParam().started.empty())
        EXPECT_EQ(services.messages, (std::vector<Message>{{"System Information Is Unavailable At This Time",
                                                            MsgIcon::None, "Maskquill"}}));
    else
        EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(sys.closes, static_cast<int>(sys.opened.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartSysInfo,
    ::testing::Values(SysInfoCase{"RegistryPath",
                                  [](FakeSystem& s) {
                                      s.registry = true;
                                      s.keys[kMsinfoKey]["PATH"] = {kRegString, "C:\\Program Files\\msinfo32.exe\0"s};
                                  },
                                  {"C:\\Program Files\\msinfo32.exe"}},
                      SysInfoCase{"RegistryFolderWithProgram",
                                  [](FakeSystem& s) {
                                      s.registry = true;
                                      s.keys[kMsinfoKey] = {};
                                      s.keys[kLocationKey]["MSINFO"] = {kRegString, "C:\\MSAPPS\\MSINFO\0"s};
                                      s.files.insert("C:\\MSAPPS\\MSINFO\\MSINFO32.EXE");
                                  },
                                  {"C:\\MSAPPS\\MSINFO\\MSINFO32.EXE"}},
                      SysInfoCase{"RegistryFolderWithoutProgram",
                                  [](FakeSystem& s) {
                                      s.registry = true;
                                      s.keys[kLocationKey]["MSINFO"] = {kRegString, "C:\\MSAPPS\\MSINFO\0"s};
                                  },
                                  {}},
                      SysInfoCase{"RegistryPathFailsToStart",
                                  [](FakeSystem& s) {
                                      s.registry = true;
                                      s.keys[kMsinfoKey]["PATH"] = {kRegString, "C:\\gone.exe\0"s};
                                      s.failingStarts.insert("C:\\gone.exe");
                                  },
                                  {}},
                      SysInfoCase{"RegistryEmpty", [](FakeSystem& s) { s.registry = true; }, {}},
                      SysInfoCase{"NoRegistryNoTool", [](FakeSystem&) {}, {}},
                      SysInfoCase{"RegistryKeysIgnoredWithoutRegistry",
                                  [](FakeSystem& s) {
                                      s.keys[kMsinfoKey]["PATH"] = {kRegString, "C:\\x.exe\0"s};
                                  },
                                  {}},
                      SysInfoCase{
                          "DesktopTool",
                          [](FakeSystem& s) { s.onPath["gnome-system-monitor"] = "/usr/bin/gnome-system-monitor"; },
                          {"/usr/bin/gnome-system-monitor"}},
                      SysInfoCase{"PreferredToolFirst",
                                  [](FakeSystem& s) {
                                      s.onPath["xfce4-taskmanager"] = "/usr/bin/xfce4-taskmanager";
                                      s.onPath["hardinfo"] = "/usr/bin/hardinfo";
                                  },
                                  {"/usr/bin/hardinfo"}},
                      SysInfoCase{"NextToolWhenOneFails",
                                  [](FakeSystem& s) {
                                      s.onPath["hardinfo"] = "/usr/bin/hardinfo";
                                      s.onPath["lxtask"] = "/usr/bin/lxtask";
                                      s.failingStarts.insert("/usr/bin/hardinfo");
                                  },
                                  {"/usr/bin/lxtask"}},
                      SysInfoCase{"AllToolsFail",
                                  [](FakeSystem& s) {
                                      s.onPath["kinfocenter"] = "/usr/bin/kinfocenter";
                                      s.failingStarts.insert("/usr/bin/kinfocenter");
                                  },
                                  {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FrmAboutModel, LoadSetsTheVersionLineUnderTheTitle)
{
    FakeServices services;
    FakeSystem sys;
    FrmAboutModel m(services, sys);
    EXPECT_EQ(m.lblVersion, "");
    m.Form_Load();
    EXPECT_EQ(m.lblVersion, "Version 5.1.0");
    EXPECT_EQ(m.lblTitle, "Maskquill");
    EXPECT_EQ(m.Caption, "About Maskquill");
    EXPECT_EQ(m.cmdSysInfo.caption, "&System Info...");
    EXPECT_EQ(m.cmdOK.caption, "OK");
}

TEST(FrmAboutModel, OkUnloadsTheWindow)
{
    FakeServices services;
    FakeSystem sys;
    FrmAboutModel m(services, sys);
    int unloads = 0;
    m.cmdOK_Click();  // nothing to unload yet
    m.unload = [&] { ++unloads; };
    m.cmdOK_Click();
    EXPECT_EQ(unloads, 1);
}

}  // namespace
}  // namespace mq
