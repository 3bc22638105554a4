#include "planner/outputs_form.h"

#include "deploy/dnsmasq.h"
#include "deploy/folder.h"
#include "deploy/zones.h"
#include "plan/commands.h"
#include "textio/escape.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <tuple>
#include <utility>

namespace mq::planner {

namespace {

// Faults of several outputs, each reason once with the outputs it stops named before it:
// a plan-wide problem would otherwise stand in the list once per output.
class FaultList {
public:
    void add(const char* output, const textio::Problem& f)
    {
        const auto key = std::make_tuple(f.block, f.host.value_or(~std::size_t(0)), f.message);
        const auto [at, fresh] = index.try_emplace(key, faults.size());
        if (fresh) {
            faults.push_back(f);
            outputs.emplace_back();
        }
        outputs[at->second] += (outputs[at->second].empty() ? "" : ", ") + std::string(output);
    }
    textio::Problems take()
    {
        for (std::size_t i = 0; i < faults.size(); ++i)
            faults[i].message = outputs[i] + ": " + faults[i].message;
        return std::move(faults);
    }

private:
    std::map<std::tuple<plan::BlockId, std::size_t, std::string>, std::size_t> index;
    textio::Problems faults;
    std::vector<std::string> outputs;
};

// One undoable step for a Save: the typed settings (when they changed) and what the files
// written need the plan to keep, so that the next export gives the same IDs and serials.
class RecordOutputs : public plan::Command {
public:
    RecordOutputs(std::unique_ptr<plan::Command> settings, std::optional<plan::DhcpIds> ids,
                  std::optional<plan::ZoneSerials> serials)
        : settings_(std::move(settings)), ids_(std::move(ids)), serials_(std::move(serials))
    {
    }
    std::string apply(plan::Plan& plan) override
    {
        if (settings_)
            if (std::string why = settings_->apply(plan); !why.empty())
                return why;
        oldIds_ = plan.dhcpIds();
        oldSerials_ = plan.zoneSerials();
        if (ids_)
            plan.setDhcpIds(*ids_);
        if (serials_)
            plan.setZoneSerials(*serials_);
        return {};
    }
    void revert(plan::Plan& plan) override
    {
        plan.setDhcpIds(oldIds_);
        plan.setZoneSerials(oldSerials_);
        if (settings_)
            settings_->revert(plan);
    }
    std::string text() const override
    {
        return settings_ ? "Set the output settings and record the files written" : "Record the files written";
    }

private:
    std::unique_ptr<plan::Command> settings_;
    std::optional<plan::DhcpIds> ids_;
    std::optional<plan::ZoneSerials> serials_;
    plan::DhcpIds oldIds_;
    plan::ZoneSerials oldSerials_;
};

template <class Map> std::size_t changedEntries(const Map& now, const Map& before)
{
    std::size_t n = 0;
    for (const auto& [key, value] : now) {
        const auto it = before.find(key);
        n += it == before.end() || !(it->second == value);
    }
    return n;
}

}  // namespace

OutputChoice defaultChoice(const plan::Plan& plan)
{
    OutputChoice c;
    c.kea4 = plan.rootOf(net::Family::V4) != plan::kNoBlock;
    c.kea6 = plan.rootOf(net::Family::V6) != plan::kNoBlock;
    return c;
}

std::string choiceText(const OutputChoice& c)
{
    std::string text;
    for (const auto& [on, word] :
         {std::pair{c.kea4, "kea4"}, {c.kea6, "kea6"}, {c.dnsmasq, "dnsmasq"}, {c.zones, "zones"}})
        if (on)
            text += std::string(word) + ",";
    return text + (c.keaForm == deploy::KeaForm::Fragment ? "fragment" : "whole");
}

std::optional<OutputChoice> choiceFrom(const std::string& text, const plan::Plan& plan)
{
    OutputChoice c{false, false, false, false, deploy::KeaForm::Whole};
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string_view word = std::string_view(text).substr(at, comma - at);
        at = comma + 1;
        if (word == "kea4")
            c.kea4 = true;
        else if (word == "kea6")
            c.kea6 = true;
        else if (word == "dnsmasq")
            c.dnsmasq = true;
        else if (word == "zones")
            c.zones = true;
        else if (word == "fragment")
            c.keaForm = deploy::KeaForm::Fragment;
        else if (word != "whole")
            return std::nullopt;
    }
    const OutputChoice fits = defaultChoice(plan);
    c.kea4 = c.kea4 && fits.kea4;
    c.kea6 = c.kea6 && fits.kea6;
    if (!c.any())
        return std::nullopt;
    return c;
}

OutputPreview makePreview(const plan::Plan& plan, const OutputChoice& what, std::uint32_t today)
{
    OutputPreview out;
    out.dhcp = what.kea4 || what.kea6 || what.dnsmasq;
    out.zones = what.zones;
    if (out.dhcp)
        out.ids = deploy::assignDhcpIds(plan);
    FaultList faults;
    auto take = [&](const char* output, deploy::Written written) {
        if (auto* files = std::get_if<std::vector<deploy::OutputFile>>(&written))
            for (deploy::OutputFile& f : *files)
                out.files.push_back(std::move(f));
        else
            for (const textio::Problem& f : std::get<textio::Problems>(written))
                faults.add(output, f);
    };
    // One model for the outputs chosen: each is told the same of every block and host.
    deploy::Outputs chosen;
    for (const auto& [on, o] : {std::pair{what.kea4, deploy::Output::Kea4},
                                {what.kea6, deploy::Output::Kea6},
                                {what.dnsmasq, deploy::Output::Dnsmasq},
                                {what.zones, deploy::Output::Zones}})
        if (on)
            chosen.add(o);
    const deploy::Prepared m = deploy::prepare(plan, out.ids, chosen);
    if (what.kea4)
        take("Kea DHCPv4", deploy::writeKea(m, net::Family::V4, what.keaForm));
    if (what.kea6)
        take("Kea DHCPv6", deploy::writeKea(m, net::Family::V6, what.keaForm));
    if (what.dnsmasq)
        take("dnsmasq", deploy::writeDnsmasq(m));
    if (what.zones) {
        auto zones = deploy::writeZones(m, today);
        if (auto* z = std::get_if<deploy::ZoneOutput>(&zones)) {
            out.serials = std::move(z->serials);
            take("BIND zones", std::move(z->files));
        } else {
            take("BIND zones", std::move(std::get<textio::Problems>(zones)));
        }
    }
    out.faults = faults.take();
    if (!out.faults.empty())
        out.files.clear();
    return out;
}

OutputsForm::OutputsForm(PlannerForm& p, OutputsServices& services)
    : fields(fieldsOf(p.plan().outputSettings())), choice(defaultChoice(p.plan())), planner(p), sv(services)
{
}

bool OutputsForm::say(std::string text, bool isError)
{
    status_ = std::move(text);
    error_ = isError;
    return !isError;
}

std::string OutputsForm::settingsError() const
{
    const auto read = readFields(fields);
    const std::string* why = std::get_if<std::string>(&read);
    return why ? *why : std::string();
}

bool OutputsForm::settingsChanged() const
{
    const auto read = readFields(fields);
    const auto* s = std::get_if<plan::OutputSettings>(&read);
    return !s || !(*s == planner.plan().outputSettings());
}

std::optional<OutputsForm::Key> OutputsForm::currentKey() const
{
    auto read = readFields(fields);
    auto* s = std::get_if<plan::OutputSettings>(&read);
    if (!s)
        return std::nullopt;
    return Key{planner.revision(), std::move(*s), choice, sv.today()};
}

bool OutputsForm::apply()
{
    auto read = readFields(fields);
    if (auto* why = std::get_if<std::string>(&read))
        return say("Not applied: " + *why, true);
    auto& s = std::get<plan::OutputSettings>(read);
    if (s == planner.plan().outputSettings())
        return say("The plan has these settings already.", false);
    const bool wasCurrent = previewCurrent();
    if (std::string why = planner.apply(plan::makeSetOutputSettings(s)); !why.empty())
        return say("Not applied: " + why, true);
    fields = fieldsOf(s);
    // The preview was made with these settings: it stays true.
    if (wasCurrent)
        shownFor->revision = planner.revision();
    return say("Settings applied; Undo in the planner takes them back.", false);
}

void OutputsForm::reset()
{
    fields = fieldsOf(planner.plan().outputSettings());
    say({}, false);
}

bool OutputsForm::queryClose()
{
    if (!settingsChanged())
        return true;
    switch (planner.services().askApply("The output settings typed are not in the plan yet. Apply them to the plan "
                                        "before the dialog closes?")) {
    case Answer::Yes: return apply();  // refused: the dialog stays, the reason in its status line
    case Answer::No: reset(); return true;
    default: return false;
    }
}

std::optional<OutputsForm::Job> OutputsForm::previewJob() const
{
    std::optional<Key> key = currentKey();
    if (!key || key == shownFor)
        return std::nullopt;
    Job job{planner.plan(), std::move(*key)};
    job.plan.setOutputSettings(job.key.settings);
    return job;
}

bool OutputsForm::showPreview(const Job& job, OutputPreview preview)
{
    if (currentKey() != job.key)
        return false;
    // The same file stays chosen while its outputs are still written.
    const std::string was = chosen < shown.files.size() ? shown.files[chosen].name : std::string();
    shown = std::move(preview);
    shownFor = job.key;
    chosen = 0;
    for (std::size_t i = 0; i < shown.files.size(); ++i)
        if (shown.files[i].name == was)
            chosen = i;
    return true;
}

void OutputsForm::updatePreview()
{
    if (const auto job = previewJob())
        showPreview(*job, makePreview(job->plan, job->key.choice, job->key.today));
}

bool OutputsForm::previewCurrent() const
{
    return shownFor && currentKey() == shownFor;
}

void OutputsForm::chooseFile(std::size_t index)
{
    if (index < shown.files.size())
        chosen = index;
}

std::string OutputsForm::shownText() const
{
    if (chosen >= shown.files.size())
        return {};
    const std::string& text = shown.files[chosen].text;
    if (text.size() <= kShownBytes)
        return text;
    // A file of a big plan is shown in part: the whole of it would take the view seconds.
    const std::size_t cut = text.rfind('\n', kShownBytes - 1) + 1;
    return text.substr(0, cut) + "... " + std::to_string(text.size() - cut) +
           " bytes more: Copy and Save take the whole file.\n";
}

plan::BlockId OutputsForm::faultBlock(std::size_t index) const
{
    return index < shown.faults.size() ? shown.faults[index].block : plan::kNoBlock;
}

void OutputsForm::copy()
{
    if (chosen >= shown.files.size()) {
        say("Nothing to copy: no file is shown.", true);
        return;
    }
    sv.setClipboard(shown.files[chosen].text);
    say("Copied " + shown.files[chosen].name + ".", false);
}

bool OutputsForm::saveTo(const std::string& folder)
{
    if (!choice.any())
        return say("Nothing written: choose an output to write.", true);
    if (std::string why = settingsError(); !why.empty())
        return say("Nothing written: " + why, true);
    updatePreview();
    if (!shown.faults.empty())
        return say("Nothing written: the plan is refused for " + countText(shown.faults.size(), "reason", "reasons") +
                       ", listed below.",
                   true);
    const std::string where = textio::escaped(folder, textio::kQuotedPath);
    if (std::string why = deploy::writeFolder(folder, shown.files); !why.empty())
        return say("Nothing written to " + where + ": " + why, true);
    const plan::Plan& p = planner.plan();
    const std::size_t ids = shown.dhcp ? changedEntries(shown.ids, p.dhcpIds()) : 0;
    const std::size_t serials = shown.zones ? changedEntries(shown.serials, p.zoneSerials()) : 0;
    const plan::OutputSettings settings = shownFor->settings;
    const bool newSettings = !(settings == p.outputSettings());
    std::string done = "Wrote " + countText(shown.files.size(), "file", "files") + " to " + where + ".";
    const bool keep =
        (shown.dhcp && !(shown.ids == p.dhcpIds())) || (shown.zones && !(shown.serials == p.zoneSerials()));
    if (!newSettings && !keep)
        return say(done, false);
    auto record = std::make_unique<RecordOutputs>(newSettings ? plan::makeSetOutputSettings(settings) : nullptr,
                                                  shown.dhcp ? std::optional(shown.ids) : std::nullopt,
                                                  shown.zones ? std::optional(shown.serials) : std::nullopt);
    if (std::string why = planner.apply(std::move(record)); !why.empty())
        return say(done + " The plan could not record them: " + why, true);
    // The plan now holds what the preview was made with.
    shownFor->revision = planner.revision();
    fields = fieldsOf(settings);
    return say(done + " The plan records " + countText(ids, "new subnet ID", "new subnet IDs") + " and " +
                   countText(serials, "new zone serial", "new zone serials") + "; save the plan to keep them.",
               false);
}

}  // namespace mq::planner
