#pragma once
// What mqnet's configuration commands (plan dhcp, plan dns, plan outputs) share: the faults
// that refuse an output, the zone-cut options, and a plan written back to its own file with
// what an export handed out (subnet IDs, zone serials), so that the next export gives the
// same.
#include <string>
#include <vector>

#include "app/mqnet/command_line.h"
#include "deploy/deploy.h"
#include "plan/outputs.h"
#include "plan/plan.h"
#include "textio/problem.h"

namespace mq::mqnet {

// Every problem on standard error, one a line under the command's name (each already quotes
// what it names escaped); kExitBadInput.
int refuseOutput(const Invocation& call, const textio::Problems& problems);

// --zone-cut N (IPv4: 8, 16 or 24) and --zone-cut6 N (a multiple of 4; 0 for one zone per
// root) into settings; false, named, when refused.
bool readZoneCuts(const Invocation& call, plan::OutputSettings& settings);

// Empty when path names a plan file that may be replaced, else the cause: standard input
// has no file, and a file without any write permission is left alone even where the
// process could replace it (root), as its owner marked it so.
std::string planWritable(const std::string& path);

// Empty when files can be written into folder, else the cause ("cannot write into DIR:
// ..."), on the same terms as planWritable.
std::string folderWritable(const std::string& folder);

// Writes plan back to path atomically and says what it recorded ("recorded 3 new subnet IDs
// in PLAN"); false, with the cause named on standard error, when it cannot.
bool recordPlan(const Invocation& call, const std::string& path, const plan::Plan& plan, const std::string& what);

}  // namespace mq::mqnet
