#pragma once
// The table of mqnet's commands, in the order `mqnet --help` lists them.
// A new command: a new file that defines `const Command kFooCommand{...}` (command_line.h),
// its declaration and its place in the table below, and the file in CMakeLists.txt.
#include "app/mqnet/command_line.h"

namespace mq::mqnet {

extern const Command kInfoCommand;
extern const Command kSplitCommand;
extern const Command kSummarizeCommand;
extern const Command kPlanAllocateCommand;
extern const Command kSetUnionCommand;
extern const Command kSetIntersectCommand;
extern const Command kSetExceptCommand;
extern const Command kSetDiffCommand;
extern const Command kOverlapsCommand;
extern const Command kFreeCommand;
extern const Command kGrepCommand;
extern const Command kEui64Command;
extern const Command kUlaCommand;
extern const Command kPlanShowCommand;
extern const Command kPlanImportCommand;
extern const Command kPlanExportCommand;
extern const Command kPlanHostsCommand;
extern const Command kPlanHostsImportCommand;
extern const Command kPlanOutputsCommand;
extern const Command kPlanDhcpCommand;
extern const Command kPlanDnsCommand;

inline constexpr const Command* kCommands[] = {
    &kInfoCommand,       &kSplitCommand,     &kSummarizeCommand,       &kSetUnionCommand,    &kSetIntersectCommand,
    &kSetExceptCommand,  &kSetDiffCommand,   &kOverlapsCommand,        &kFreeCommand,        &kGrepCommand,
    &kEui64Command,      &kUlaCommand,       &kPlanAllocateCommand,    &kPlanShowCommand,    &kPlanImportCommand,
    &kPlanExportCommand, &kPlanHostsCommand, &kPlanHostsImportCommand, &kPlanOutputsCommand, &kPlanDhcpCommand,
    &kPlanDnsCommand,
};

}  // namespace mq::mqnet
