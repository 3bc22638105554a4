#pragma once
// The plan made ready for its outputs, once: every assigned block with its resolved layout,
// the reservations of its hosts under one rule of which client each is for, the names DNS
// and dnsmasq give each address, the Kea subnet IDs, and every reason an output is refused.
// The writers (Kea, dnsmasq, zones) read only this: they resolve, index and check nothing of
// their own, so that each server is told the same of every block and host.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "deploy/deploy.h"
#include "plan/subnet.h"
#include "textio/problem.h"

namespace mq::deploy {

// Which client a reservation is for: the one rule for every server.
// - DHCPv4: the MAC, the hardware address every DHCPv4 client sends; else the DUID, which a
//   client sends inside an RFC 4361 client identifier and Kea matches there. dnsmasq's "id:"
//   is the whole client identifier, IAID included, which the plan does not hold: its
//   DHCPv4 lines leave a DUID-only host out.
// - DHCPv6: the DUID, the identifier DHCPv6 is built on (dnsmasq's "id:"); else the MAC,
//   which Kea and dnsmasq both learn from a client's DUID or its link.
// A host with neither has no reservation: it is configured by hand.
enum class ClientBy : std::uint8_t { Mac, Duid };
std::optional<ClientBy> reservedBy(const plan::Host& host, net::Family family);

struct Reservation {
    std::size_t host = 0;  // index into plan.hosts()
    ClientBy by = ClientBy::Mac;
    std::string client;  // the MAC or DUID as both servers write it: "00:11:22:33:44:55"
    net::Address address;  // the host's address of the block's family
    // The name the client is given: its DNS name relative to the domain ("pc1" of a host
    // named pc1.campus.example), or whole when it is the domain itself.
    std::string name;
};

struct PreparedBlock {
    plan::BlockId id = plan::kNoBlock;
    plan::ResolvedLayout layout;
    std::string label;  // blockLabel
    bool dhcp = false;  // served by DHCP: assigned and not reserved (dhcpBlocks)
    std::optional<std::uint32_t> dhcpId;  // its Kea subnet ID, also dnsmasq's tag; none when the IDs lack it
    std::vector<Reservation> reservations;  // in the order of hosts(); for DHCP outputs, of DHCP blocks
};

// The outputs a model is made for: names and checks are made for these alone.
class Outputs {
public:
    constexpr Outputs() = default;
    constexpr Outputs(std::initializer_list<Output> list)
    {
        for (Output o : list)
            add(o);
    }
    constexpr Outputs& add(Output o)
    {
        bits_ |= static_cast<std::uint8_t>(1u << static_cast<unsigned>(o));
        return *this;
    }
    constexpr bool has(Output o) const { return (bits_ >> static_cast<unsigned>(o)) & 1u; }

private:
    std::uint8_t bits_ = 0;
};
inline constexpr Outputs kEveryOutput{Output::Kea4, Output::Kea6, Output::Dnsmasq, Output::Zones};

class Prepared {
public:
    const plan::Plan& plan() const { return *plan_; }
    const plan::OutputSettings& settings() const { return plan_->outputSettings(); }
    // Every assigned leaf, reserved ones among them, in leaf order.
    const std::vector<PreparedBlock>& blocks() const { return blocks_; }
    // The blocks a DHCP server of the family serves, in leaf order.
    std::vector<const PreparedBlock*> dhcpBlocks(net::Family family) const;
    // What dnsNames describes: hosts in the order of hosts(), then gateways in leaf order;
    // made for dnsmasq and the zones (empty in a model made for Kea alone).
    const std::vector<NamedAddress>& names() const { return names_; }
    const plan::DhcpIds& ids() const { return ids_; }
    bool madeFor(Output output) const { return for_.has(output); }
    // Every reason the plan cannot give the output, empty when it can; for an output the
    // model was not made for, that reason. What only the output itself needs (subnet IDs,
    // what the server can express) is reported once the plan is sound for it: a fault of
    // the plan would otherwise show again in what follows.
    const textio::Problems& problems(Output output) const { return problems_[static_cast<std::size_t>(output)]; }

private:
    Prepared() = default;  // made by prepare alone
    friend Prepared prepare(const plan::Plan& plan, plan::DhcpIds ids, Outputs outputs);
    const plan::Plan* plan_ = nullptr;
    Outputs for_;
    plan::DhcpIds ids_;
    std::vector<PreparedBlock> blocks_;
    std::vector<NamedAddress> names_;
    std::array<textio::Problems, 4> problems_;  // by Output
};

// The model of plan for these outputs (names and checks are made for them alone) with these
// subnet IDs (assignDhcpIds gives the ones the plan would hand out). It refers to plan,
// which must outlive it unchanged.
Prepared prepare(const plan::Plan& plan, plan::DhcpIds ids, Outputs outputs = kEveryOutput);
Prepared prepare(plan::Plan&& plan, plan::DhcpIds ids, Outputs outputs = kEveryOutput) = delete;

}  // namespace mq::deploy
