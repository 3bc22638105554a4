// Every file written from the campus plan, compared byte for byte with the one kept in
// tests/deploy/fixtures/campus, so that any change to an output shows in review. With
// MQ_UPDATE_FIXTURES=1 the test writes the files instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "deploy/dnsmasq.h"
#include "deploy/kea.h"
#include "deploy/zones.h"
#include "tests/deploy/deploy_plans.h"
#include "tests/support/files.h"

namespace mq::deploy {
namespace {

std::vector<OutputFile> filesOf(const Written& w)
{
    if (const auto* faults = std::get_if<textio::Problems>(&w)) {
        ADD_FAILURE() << "refused: " << (faults->empty() ? "" : faults->front().message);
        return {};
    }
    return std::get<std::vector<OutputFile>>(w);
}

// Every output of the campus plan, at a fixed date.
std::vector<OutputFile> campusOutputs()
{
    const plan::Plan p = mq::test::deployCampus();
    const Prepared m = prepare(p, assignDhcpIds(p));
    std::vector<OutputFile> all = filesOf(writeDnsmasq(m));
    for (net::Family f : {net::Family::V4, net::Family::V6})
        for (KeaForm form : {KeaForm::Whole, KeaForm::Fragment})
            for (OutputFile& file : filesOf(writeKea(m, f, form)))
                all.push_back(std::move(file));
    // The zones as kept: every classless block delegated, no empty zone.
    plan::Plan delegated = p;
    plan::OutputSettings s = p.outputSettings();
    s.rfc2317 = plan::Rfc2317::All;
    s.emptyReverseZones = false;
    delegated.setOutputSettings(s);
    const auto zones = writeZones(prepare(delegated, {}), 20261210);
    if (const auto* out = std::get_if<ZoneOutput>(&zones))
        all.insert(all.end(), out->files.begin(), out->files.end());
    else
        ADD_FAILURE() << "zones refused: " << std::get<textio::Problems>(zones).front().message;
    return all;
}

TEST(CampusFixtures, EveryOutputAsKept)
{
    const std::string dir = MQ_CAMPUS_FIXTURES "/";
    const char* update = std::getenv("MQ_UPDATE_FIXTURES");
    const std::vector<OutputFile> files = campusOutputs();
    ASSERT_FALSE(files.empty());
    for (const OutputFile& f : files) {
        SCOPED_TRACE(f.name);
        if (update && std::string(update) == "1")
            EXPECT_TRUE(mq::test::writeFile(dir + f.name, f.text));
        else
            EXPECT_EQ(mq::test::readFile(dir + f.name), f.text) << "(MQ_UPDATE_FIXTURES=1 writes it anew)";
    }
    // A file no output writes any more is one left behind.
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(std::any_of(files.begin(), files.end(), [&](const OutputFile& f) { return f.name == name; }))
            << name << " is no output of the campus plan";
    }
}

}  // namespace
}  // namespace mq::deploy
