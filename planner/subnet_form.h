// The planner's subnet panel without the window: for the assigned block selected (and the
// other family's block of its segment in a dual-stack plan) its gateway, kept addresses,
// DHCP ranges, IPv6 address mode and prefix delegation, the table of its hosts and the
// picture of its addresses. Every edit goes through the planner's history; a refused one
// says why in status() instead of a message box, so that the cell being typed stays.
#pragma once

#include "plan/subnet.h"
#include "planner/planner_form.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mq::planner {

// The host table's columns, in the order a pasted row without a header gives them.
enum HostColumn { HostName, HostV4, HostV6, HostMac, HostDuid, HostRole, HostNote, HostColumnCount };
const char* blockHostColumnTitle(int column);  // "Host name", "IPv4", "IPv6", "MAC", "DUID", "Role", "Note"

enum class GatewayChoice { Rule, None, Address };
// What a block's picture paints, bottom layer first: each later kind covers the earlier.
enum class AddressKind { Free, Range, Kept, Host, Gateway, Network, Broadcast, KindCount };
const char* addressKindName(AddressKind kind);  // "free", "DHCP range", ... for the legend

// Addresses of one kind, as offsets from the block's network address (inclusive).
struct AddressMark {
    AddressKind kind;
    net::u128 first, last;
};

// What a host's address cell takes for block id (plan::hostAddress); where the segment has
// no block of family f (id is kNoBlock), any address of an assigned block. why: the reason.
std::optional<net::Address> readHostAddress(const plan::Plan& p, const plan::HostIndex& index, plan::BlockId id,
                                            net::Family f, std::string_view text, const std::optional<net::Mac>& mac,
                                            std::optional<std::size_t> except, std::string& why);

class SubnetForm {
public:
    SubnetForm(PlannerForm& form, PlannerServices& services);

    // The block selected in the window; the panel shows it when it is an assigned leaf.
    void select(plan::BlockId id);
    // Brings the host index and the rows up to date after any change of the plan; cheap
    // when nothing changed.
    void sync();
    bool active() const { return shown[0] != plan::kNoBlock || shown[1] != plan::kNoBlock; }
    // The block of family f shown (kNoBlock when the segment has none).
    plan::BlockId block(net::Family f) const { return shown[f == net::Family::V6]; }
    // "office 10.40.1.0/24 and 2001:db8:40:1::/64", or why nothing is shown.
    std::string title() const;
    // Why the last edit was refused (escaped, shortened), or what the last paste did.
    const std::string& status() const { return statusText; }
    // The status says what was refused (shown as a warning), not only what was done.
    bool statusRefuses() const { return refusal; }
    // The refused edit given up (Esc): its reason no longer stands.
    void dismissRefusal();

    // ---- the layout of block f
    // In a cloud mode the IPv4 gateway and kept addresses are the provider's: fixed.
    bool cloudFixed(net::Family f) const;
    // "AWS reserved: 10.0.0.1 (router), 10.0.0.2-10.0.0.3": empty outside a cloud mode.
    std::string cloudText(net::Family f) const;
    GatewayChoice gatewayChoice(net::Family f) const;
    std::string gatewayText(net::Family f) const;  // the gateway that results, empty for none
    // Address: text is what hostAddress takes ("10.0.0.1", "::1", "next").
    bool setGateway(net::Family f, GatewayChoice choice, const std::string& text = {});
    std::string keptText(net::Family f) const;  // the block's own count, empty when it follows the rule
    int keptCount(net::Family f) const;  // the count that results
    // What the kept addresses come to, said beside the box: "plan's rule: 3, the gateway
    // among them" (the count is of the first usable addresses, the gateway's included).
    std::string keptNote(net::Family f) const;
    bool setKept(net::Family f, const std::string& text);  // empty: follow the rule
    bool ownRanges(net::Family f) const;  // the block lists its ranges instead of the rule's
    std::vector<std::string> rangeTexts(net::Family f) const;  // "first-last" of the ranges that result
    // Own ranges start as the rule's ranges; back to the rule drops them.
    bool setOwnRanges(net::Family f, bool own);
    // "first-last", each end an address or (IPv6) "::N"; one address is a range of one.
    bool addRange(net::Family f, const std::string& text);
    bool setRange(net::Family f, std::size_t i, const std::string& text);
    bool deleteRange(net::Family f, std::size_t i);
    std::optional<plan::Dhcp6Mode> dhcp6() const;  // the IPv6 block's own mode; nullopt: the rule's
    bool setDhcp6(std::optional<plan::Dhcp6Mode> mode);
    std::string delegationText() const;  // "/56", empty when the IPv6 block is no delegation pool
    bool setDelegation(const std::string& text);  // "/56" or "56"; empty: no pool

    // ---- the host table: the hosts with an address in a block shown, then one empty
    // row where typing adds a host
    std::size_t rowCount() const { return rows.size() + 1; }
    bool isNewRow(std::size_t row) const { return row == rows.size(); }
    std::size_t hostOf(std::size_t row) const { return rows.at(row); }  // index into plan().hosts()
    std::string cell(std::size_t row, int column) const;
    // An edit of one cell; in the new row it adds a host (name "host-N" and the next free
    // addresses of the blocks shown, unless typed).
    bool setCell(std::size_t row, int column, const std::string& text);
    bool addHost();  // the new row's host, in one step
    bool deleteRows(std::vector<std::size_t> rowList);
    // Tab-separated rows in the table's column order, or under a header line naming the
    // columns. Rows that cannot be read are named with their line and left out; the others
    // are added in one step.
    bool paste(const std::string& text);
    // The same rows from a file chosen in the open dialog (tab-separated or CSV).
    bool importFile();
    // Hosts of a file of another tool (NetBox, phpIPAM, /etc/hosts, the hosts CSV) go into
    // whichever blocks of the plan hold their addresses: the planner's own import.
    bool importPlanHosts(interchange::HostFormat format) { return form.importHostsFile(format); }
    bool importText(const std::string& text, const std::string& source);
    bool importRecords(const std::vector<textio::CsvRecord>& records, const std::string& error,
                       const std::string& source, const ItemPlaces& places);

    // ---- the picture of block f
    const plan::SubnetCounts& counts(net::Family f) const { return countsOf[f == net::Family::V6]; }
    // "254 usable, 12 static, 100 in DHCP ranges, 142 free".
    std::string countsText(net::Family f) const;
    // Painted in order: free first, each later kind over the earlier.
    std::vector<AddressMark> marks(net::Family f) const;
    // The addresses in block f (2^host bits; saturated at 2^127 for the picture's scale).
    net::u128 size(net::Family f) const;

    const plan::Plan& plan() const { return form.plan(); }
    std::uint64_t revision() const { return form.revision(); }
    // Hosts pasted into the paste dialog (sv.pasteText); false when cancelled.
    bool pastePrompt();

private:
    plan::SubnetLayout layoutOf(plan::BlockId id) const;
    bool setLayout(plan::BlockId id, plan::SubnetLayout layout);
    bool run(std::unique_ptr<plan::Command> cmd);
    bool refuse(const std::string& reason);
    std::optional<plan::AddressRange> range(net::Family f, const std::string& text, std::string& why) const;
    bool setField(const plan::Plan& p, const plan::HostIndex& at, plan::Host& h, int column, const std::string& text,
                  std::optional<std::size_t> except, std::string& why) const;
    plan::Host newHost(const plan::Plan& p, const plan::HostIndex& at, bool named) const;
    bool readRow(const plan::Plan& p, const plan::HostIndex& at, const std::vector<std::string>& cells,
                 const std::vector<int>& columns, plan::Host& h, std::string& why) const;
    bool placeRows(std::vector<plan::Host> added, const std::vector<std::string>& refused, const std::string& source);
    void rebuild();

    PlannerForm& form;
    PlannerServices& sv;
    plan::BlockId selected = plan::kNoBlock;
    plan::BlockId shown[2] = {plan::kNoBlock, plan::kNoBlock};
    std::optional<plan::HostIndex> index;
    std::uint64_t hostSerial = ~std::uint64_t(0), treeSerial = ~std::uint64_t(0), seenRevision = ~std::uint64_t(0);
    std::vector<std::size_t> rows;
    plan::SubnetCounts countsOf[2];
    std::string statusText;
    bool refusal = false;
};

}  // namespace mq::planner
