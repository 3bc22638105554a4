// The Outputs dialog's logic: the settings read from their fields, the preview of the chosen
// outputs, a refused plan's reasons, Apply as one undoable step, and Save writing the folder
// and recording the subnet IDs and zone serials.
#include "deploy/deploy.h"
#include "net/parse.h"
#include "plan/document.h"
#include "planner/outputs_form.h"
#include "tests/deploy/deploy_plans.h"
#include "tests/planner/fake_planner_services.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace mq::planner {
namespace {

class FakeOutputsServices : public OutputsServices {
public:
    std::optional<std::string> folder;
    std::string clipboard;
    std::optional<std::string> chooseFolder() override { return folder; }
    void setClipboard(const std::string& text) override { clipboard = text; }
    std::uint32_t today() override { return 20261210; }
};

std::vector<std::string> namesOf(const std::vector<deploy::OutputFile>& files)
{
    std::vector<std::string> names;
    for (const deploy::OutputFile& f : files)
        names.push_back(f.name);
    return names;
}

// The remembered choice reads back as written, keeps Kea to the plan's families, and a text
// it does not know leaves the default.
TEST(OutputChoiceText, ReadsBackForThePlanAndRefusesWhatItDoesNotKnow)
{
    const plan::Plan dual = test::deployCampus();
    const plan::Plan v4(std::get<net::Prefix>(net::parsePrefix("10.0.0.0/16", net::HostBits::Refuse)));
    using K = deploy::KeaForm;
    const OutputChoice all{true, true, true, true, K::Fragment};
    EXPECT_EQ(choiceText(all), "kea4,kea6,dnsmasq,zones,fragment");
    EXPECT_EQ(choiceFrom(choiceText(all), dual), all);
    const struct {
        const char* text;
        const plan::Plan& plan;
        std::optional<OutputChoice> want;
    } cases[] = {
        {"kea6,zones,whole", dual, OutputChoice{false, true, false, true, K::Whole}},
        {"kea4,kea6,fragment", v4, OutputChoice{true, false, false, false, K::Fragment}},
        {"dnsmasq", v4, OutputChoice{false, false, true, false, K::Whole}},
        {"kea6,whole", v4, std::nullopt},  // nothing left for this plan
        {"kea4,bind", dual, std::nullopt},
        {"", dual, std::nullopt},
        {"kea4,,zones", dual, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(choiceFrom(c.text, c.plan), c.want) << c.text;
}

TEST(OutputFields, ReadBackWhatTheyShowAndNameTheFieldThatDoesNot)
{
    const plan::Plan campus = test::deployCampus();
    plan::OutputSettings s = campus.outputSettings();
    s.nameServers.push_back({"ns2.example.net", {}});
    s.zoneCut6 = 56;
    s.naming = plan::ReverseNaming::Dash;
    s.rfc2317 = plan::Rfc2317::All;
    const net::Prefix servers = campus.block(test::segmentBlock(campus, "servers", net::Family::V4)).prefix;
    const net::Prefix lab = campus.block(test::segmentBlock(campus, "lab", net::Family::V4)).prefix;
    s.delegated = {std::min(lab, servers), std::max(lab, servers)};
    s.emptyReverseZones = false;
    const auto back = readFields(fieldsOf(s));
    ASSERT_TRUE(std::holds_alternative<plan::OutputSettings>(back)) << std::get<std::string>(back);
    EXPECT_TRUE(std::get<plan::OutputSettings>(back) == s);

    // What people type: blanks, a root's dot, the length with or without its slash.
    OutputFields typed = fieldsOf(s);
    typed["domain"] = " campus.example. ";
    typed["dns_servers"] = "10.40.0.53,2001:db8:40::53 ";
    typed["name_servers"] =
        "\r\nns1.campus.example.= " + net::format(s.nameServers[0].addresses[0]) + "\r\n\nns2.example.net\n";
    typed["zone_cut6"] = " 56";
    typed["delegated"] = " " + net::formatNetwork(s.delegated[1]) + ",\t" + net::formatNetwork(s.delegated[0]) + ", ";
    const auto read = readFields(typed);
    ASSERT_TRUE(std::holds_alternative<plan::OutputSettings>(read)) << std::get<std::string>(read);
    EXPECT_TRUE(std::get<plan::OutputSettings>(read) == s);

    // A name without a dot lies in the domain.
    typed["name_servers"] = "ns1=" + net::format(s.nameServers[0].addresses[0]) + "\nns2.example.net\n";
    typed["hostmaster"] = "admin";
    const auto qualified = readFields(typed);
    ASSERT_TRUE(std::holds_alternative<plan::OutputSettings>(qualified)) << std::get<std::string>(qualified);
    EXPECT_EQ(std::get<plan::OutputSettings>(qualified).nameServers, s.nameServers);
    EXPECT_EQ(std::get<plan::OutputSettings>(qualified).hostmaster, "admin.campus.example");

    const std::pair<std::function<void(OutputFields&)>, const char*> refused[] = {
        {[](OutputFields& f) { f["dns_servers"] = "10.40.0.53, 10.40.0.x"; }, "DNS servers: 10.40.0.x"},
        {[](OutputFields& f) { f["name_servers"] = "ns1.campus.example\nns2.campus.example=fe80::1::2"; },
         "Name servers, line 2: fe80::1::2"},
        {[](OutputFields& f) { f["ttl"] = "1h"; }, "TTL: \"1h\" is no whole number"},
        {[](OutputFields& f) { f["expire"] = "4294967296"; }, "Expire: \"4294967296\""},
        {[](OutputFields& f) { f["preferred_lifetime"] = ""; }, "Preferred lifetime: \"\""},
        {[](OutputFields& f) { f["zone_cut6"] = "/200"; }, "IPv6 zone cut: \"/200\""},
        {[](OutputFields& f) { f["zone_cut6"] = "nibble"; }, "IPv6 zone cut: \"nibble\""},
        {[](OutputFields& f) { f["name_servers"] = "ns1.campus.example=fe80::53%eth0"; },
         "Name servers, line 1: fe80::53%eth0: a zone index (%eth0)"},
        // Past reading, the settings' own check speaks.
        {[](OutputFields& f) { f["domain"] = "campus..example"; }, "domain"},
        {[](OutputFields& f) { f["dns_servers"] = "10.40.0.53, 255.255.255.255"; },
         "DNS servers: 255.255.255.255 lies"},
        {[](OutputFields& f) { f["interface"] = "*"; }, "interface: \"*\" is a pattern"},
        {[](OutputFields& f) { f["delegated"] = "10.40.0.1/27"; }, "Delegated blocks: 10.40.0.1/27: has host bits set"},
        {[](OutputFields& f) { f["delegated"] = "10.40.0.0/24"; }, "delegated block 10.40.0.0/24: RFC 2317 delegates"},
    };
    for (const auto& [edit, reason] : refused) {
        OutputFields f = fieldsOf(s);
        edit(f);
        const auto r = readFields(f);
        ASSERT_TRUE(std::holds_alternative<std::string>(r)) << reason;
        EXPECT_NE(std::get<std::string>(r).find(reason), std::string::npos) << std::get<std::string>(r);
    }
}

class OutputsFormTest : public ::testing::Test {
protected:
    test::FakePlannerServices sv;
    FakeOutputsServices out;
    PlannerForm planner{sv};
    std::unique_ptr<OutputsForm> form;

    // The campus plan opened from its file, its output settings applied through the form.
    void openCampus(std::function<void(plan::Plan&)> change = {})
    {
        plan::Plan p = test::deployCampus();
        if (change)
            change(p);
        const plan::OutputSettings settings = p.outputSettings();
        p.setOutputSettings({});
        sv.files["/campus.mqplan"] = plan::writeDocument(p);
        ASSERT_TRUE(planner.openFile("/campus.mqplan"));
        form = std::make_unique<OutputsForm>(planner, out);
        form->fields = fieldsOf(settings);
        ASSERT_TRUE(form->apply()) << form->status();
        form->updatePreview();
    }
};

TEST_F(OutputsFormTest, PreviewListsTheChosenOutputsFiles)
{
    openCampus();
    EXPECT_TRUE(form->choice.kea4 && form->choice.kea6 && form->choice.zones && !form->choice.dnsmasq);
    struct Case {
        OutputChoice choice;
        std::vector<std::string> has, hasNot;
    };
    const Case cases[] = {
        {{}, {"kea-dhcp4.conf", "kea-dhcp6.conf", "db.campus.example", "named.conf.zones"}, {"dnsmasq.conf"}},
        {{false, false, true, false}, {"dnsmasq.conf"}, {"kea-dhcp4.conf", "named.conf.zones"}},
        {{true, true, false, false, deploy::KeaForm::Fragment},
         {"subnet4.json", "subnet6.json"},
         {"kea-dhcp4.conf", "db.campus.example"}},
    };
    for (const Case& c : cases) {
        form->choice = c.choice;
        form->updatePreview();
        ASSERT_TRUE(form->previewCurrent());
        const std::vector<std::string> names = namesOf(form->preview().files);
        EXPECT_TRUE(form->preview().faults.empty()) << form->preview().faults[0].message;
        for (const std::string& n : c.has)
            EXPECT_NE(std::find(names.begin(), names.end(), n), names.end()) << n;
        for (const std::string& n : c.hasNot)
            EXPECT_EQ(std::find(names.begin(), names.end(), n), names.end()) << n;
        // The file chosen is shown, and Copy takes it whole.
        form->chooseFile(names.size() - 1);
        EXPECT_EQ(form->shownText(), form->preview().files.back().text);
        form->copy();
        EXPECT_EQ(out.clipboard, form->preview().files.back().text);
    }
    // A preview made before the fields changed is not shown over the newer ones.
    const auto job = form->previewJob();
    ASSERT_FALSE(job);  // the shown one is current
    form->fields["domain"] = "site.example";
    const auto stale = form->previewJob();
    ASSERT_TRUE(stale);
    form->fields["domain"] = "other.example";
    EXPECT_FALSE(form->showPreview(*stale, makePreview(stale->plan, stale->key.choice, stale->key.today)));
    EXPECT_FALSE(form->previewCurrent());
}

TEST_F(OutputsFormTest, RefusedPlanListsItsReasonsAndSaveWritesNothing)
{
    // DHCP ranges without gateways, and no domain for the zones.
    openCampus([](plan::Plan& p) {
        plan::Settings s = p.settings();
        s.layout.gateway = plan::GatewayRule::None;
        p.setSettings(s);
        plan::OutputSettings o = p.outputSettings();
        o.domain.clear();
        p.setOutputSettings(o);
    });
    const OutputPreview& shown = form->preview();
    EXPECT_TRUE(shown.files.empty());
    ASSERT_FALSE(shown.faults.empty());
    bool namesBlock = false;
    for (std::size_t i = 0; i < shown.faults.size(); ++i) {
        const plan::BlockId id = form->faultBlock(i);
        namesBlock |= id != plan::kNoBlock;
        EXPECT_TRUE(id == plan::kNoBlock || planner.plan().exists(id)) << shown.faults[i].message;
        EXPECT_TRUE(shown.faults[i].message.starts_with("Kea DHCPv4") ||
                    shown.faults[i].message.starts_with("Kea DHCPv6") ||
                    shown.faults[i].message.starts_with("BIND zones"))
            << shown.faults[i].message;
    }
    EXPECT_TRUE(namesBlock);
    test::TempDir dir;
    const bool modified = planner.isModified();
    EXPECT_FALSE(form->saveTo(dir.path()));
    EXPECT_TRUE(form->error());
    EXPECT_NE(form->status().find("refused"), std::string::npos) << form->status();
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_EQ(planner.isModified(), modified);
}

TEST_F(OutputsFormTest, ApplyAndSaveAreOneUndoableStepEach)
{
    openCampus();
    // The campus settings went in as one step.
    ASSERT_TRUE(planner.canUndo());
    planner.undo();
    EXPECT_TRUE(planner.plan().outputSettings() == plan::OutputSettings{});
    EXPECT_FALSE(planner.canUndo());
    planner.redo();

    // A refused setting keeps what was typed and changes nothing.
    form->fields["ttl"] = "an hour";
    EXPECT_NE(form->settingsError().find("TTL"), std::string::npos);
    EXPECT_FALSE(form->apply());
    EXPECT_EQ(form->fields["ttl"], "an hour");
    EXPECT_FALSE(form->saveTo("/nonexistent"));
    EXPECT_EQ(planner.plan().outputSettings().ttl, 3600u);
    form->fields["ttl"] = "600";

    // Settings that read but clash with the plan (a name server given a host's name and
    // another address) are refused by the plan's own check, naming both.
    const std::string nameServers = form->fields["name_servers"];
    form->fields["name_servers"] =
        "NAS.campus.example=" + net::format(test::at(planner.plan(), "servers", net::Family::V4, 9)) + "\n";
    EXPECT_FALSE(form->apply());
    EXPECT_NE(form->status().find("host nas: the name is also the name server \"NAS.campus.example\"'s"),
              std::string::npos)
        << form->status();
    form->fields["name_servers"] = nameServers;

    // Save: every file in the folder, the typed TTL, the IDs and the serials in one step.
    test::TempDir dir;
    ASSERT_TRUE(planner.plan().dhcpIds().empty());
    ASSERT_TRUE(form->saveTo(dir.path())) << form->status();
    for (const deploy::OutputFile& f : form->preview().files)
        EXPECT_EQ(test::readFile(dir.file(f.name)), f.text) << f.name;
    const plan::Plan& p = planner.plan();
    EXPECT_TRUE(p.dhcpIds() == deploy::assignDhcpIds(p));
    EXPECT_FALSE(p.dhcpIds().empty());
    EXPECT_FALSE(p.zoneSerials().empty());
    EXPECT_EQ(p.outputSettings().ttl, 600u);
    EXPECT_TRUE(planner.isModified());
    EXPECT_TRUE(form->previewCurrent());  // the plan holds what it was made with

    // Again: the same files, and nothing new to record.
    const std::vector<deploy::OutputFile> first = form->preview().files;
    const std::string undoText = planner.undoText();
    test::TempDir again;
    ASSERT_TRUE(form->saveTo(again.path()));
    EXPECT_TRUE(form->preview().files == first);
    EXPECT_EQ(planner.undoText(), undoText);

    // A folder that cannot take the files: nothing recorded.
    form->fields["ttl"] = "900";
    EXPECT_FALSE(form->saveTo(dir.file("missing")));
    EXPECT_TRUE(form->error());
    EXPECT_EQ(p.outputSettings().ttl, 600u);

    // One Undo takes the TTL, the IDs and the serials back together.
    planner.undo();
    EXPECT_EQ(p.outputSettings().ttl, 3600u);
    EXPECT_TRUE(p.dhcpIds().empty());
    EXPECT_TRUE(p.zoneSerials().empty());
}

}  // namespace
}  // namespace mq::planner
