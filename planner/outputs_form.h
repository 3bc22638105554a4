// The planner's "Outputs" dialog without the dialog: what to write (Kea DHCPv4 and DHCPv6,
// dnsmasq, BIND zones with named.conf), the plan's output settings as typed, a preview of
// the files (or of every reason the plan is refused), Copy, and Save to a folder, which
// writes every file or none and then records the Kea subnet IDs and zone serials in the
// plan. The settings go into the plan as one undoable step.
#pragma once

#include "deploy/deploy.h"
#include "deploy/kea.h"
#include "planner/output_fields.h"
#include "planner/planner_form.h"
#include "textio/problem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mq::planner {

struct OutputChoice {
    bool kea4 = true;
    bool kea6 = true;
    bool dnsmasq = false;
    bool zones = true;  // with named.conf.zones
    deploy::KeaForm keaForm = deploy::KeaForm::Whole;
    bool any() const { return kea4 || kea6 || dnsmasq || zones; }
    bool operator==(const OutputChoice&) const = default;
};
// Kea for the families the plan has, and the zones.
OutputChoice defaultChoice(const plan::Plan& plan);
// The choice as the planner remembers it between openings: "kea4,kea6,zones,whole".
std::string choiceText(const OutputChoice& c);
// A remembered choice for this plan: Kea only for the families the plan has. A text that
// is not one (a word it does not know, nothing chosen) gives nullopt: the default stands.
std::optional<OutputChoice> choiceFrom(const std::string& text, const plan::Plan& plan);

// What the chosen outputs give for a plan: their files, or every reason one is refused.
struct OutputPreview {
    std::vector<deploy::OutputFile> files;  // empty when refused
    // One per reason, with its block and host; the message names the outputs it stops
    // before it: "Kea DHCPv4, dnsmasq: 10.40.1.0/24 (office): has DHCP ranges but no gateway ..."
    textio::Problems faults;
    plan::DhcpIds ids;  // what the plan keeps once the files are written
    plan::ZoneSerials serials;
    bool dhcp = false;  // a DHCP output was chosen: ids apply
    bool zones = false;  // serials apply
};
// Reads only `plan`: runs on any thread. today: YYYYMMDD.
OutputPreview makePreview(const plan::Plan& plan, const OutputChoice& what, std::uint32_t today);

// What the dialog asks of the platform.
class OutputsServices {
public:
    virtual ~OutputsServices() = default;
    // An existing folder, for Save; nothing when cancelled.
    virtual std::optional<std::string> chooseFolder() = 0;
    virtual void setClipboard(const std::string& text) = 0;
    virtual std::uint32_t today() = 0;  // YYYYMMDD, UTC
};

// A file's text as the preview shows it: at most this many bytes, cut at a line's end.
inline constexpr std::size_t kShownBytes = 1u << 20;

class OutputsForm {
public:
    OutputsForm(PlannerForm& planner, OutputsServices& services);

    OutputFields fields;  // as typed
    OutputChoice choice;

    // Why the typed settings cannot be used (shown beside the form), empty when they can.
    std::string settingsError() const;
    // The typed settings differ from the plan's (Apply has something to do).
    bool settingsChanged() const;
    // The typed settings into the plan as one undoable step; false, with status() saying
    // why and the fields kept as typed, when they are refused.
    bool apply();
    // The fields as the plan holds them.
    void reset();
    // Before the dialog closes: settings typed and not applied are applied, discarded or
    // kept open, as the user answers; true when the dialog may close.
    bool queryClose();
    // What the last Apply, Copy or Save did, or why it did not; error() tells which.
    const std::string& status() const { return status_; }
    bool error() const { return error_; }

    // ---- the preview. A job is what makePreview needs, copied, so that it can run
    // elsewhere while the plan changes; its result is shown by showPreview unless the
    // plan, the typed settings or the choice have changed since.
    struct Key {
        std::uint64_t revision = 0;
        plan::OutputSettings settings;
        OutputChoice choice;
        std::uint32_t today = 0;
        bool operator==(const Key&) const = default;
    };
    struct Job {
        plan::Plan plan;  // with the typed settings
        Key key;
    };
    // Nothing when the shown preview is current, or the typed settings cannot be used.
    std::optional<Job> previewJob() const;
    bool showPreview(const Job& job, OutputPreview preview);  // false when it came too late
    void updatePreview();  // the job run here and now
    bool previewCurrent() const;
    const OutputPreview& preview() const { return shown; }
    // The file shown (an index into preview().files) and its text, cut at kShownBytes with
    // a last line saying how much more Copy and Save take.
    std::size_t chosenFile() const { return chosen; }
    void chooseFile(std::size_t index);
    std::string shownText() const;
    // The block a fault names, for the planner to select (kNoBlock for a setting).
    plan::BlockId faultBlock(std::size_t index) const;

    void copy();  // the shown file, whole, on the clipboard
    // Every file of the chosen outputs, or none, then one undoable step that sets the typed
    // settings (when changed) and records the IDs and serials written.
    bool saveTo(const std::string& folder);

private:
    bool say(std::string text, bool isError);
    PlannerForm& planner;
    OutputsServices& sv;
    OutputPreview shown;
    std::optional<Key> shownFor;  // what `shown` was made from
    std::optional<Key> currentKey() const;  // nothing when the typed settings are refused
    std::size_t chosen = 0;
    std::string status_;
    bool error_ = false;
};

}  // namespace mq::planner
