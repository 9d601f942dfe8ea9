#pragma once
// The input list of the batch commands, shared so every command spells it alike:
//   --files-from FILE   paths one a line ("-": standard input), or NUL-separated with -0
//   --shard I/N         only the I-th (0-based) of N disjoint shares of the sorted list
//   --summary json      one JSON line per input on stdout: input, status, output, seconds
// A command adds the options to its table with AddInputOptions and gets its files from
// SelectInputs; SummaryLine writes the JSON lines.
#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "batch/file_ops.h"
#include "batch/path_list.h"
#include "cli/options.h"

namespace pelira::cli {

struct InputSelection {
  std::string filesFrom;  // empty: none
  bool nulSeparated = false;
  bool sharded = false;  // --shard was given: the list is sorted before it is shared
  std::size_t shardIndex = 0;
  std::size_t shardCount = 1;
  bool summaryJson = false;
};

struct InputFeatures {
  bool shard = true;
  bool summary = true;
};

void AddInputOptions(OptionTable& table, InputSelection* selection, InputFeatures features = {});

// The list and share rules live in the batch room, where the fuzzer reaches them.
using pelira::ParseShard;
using pelira::ShardShare;

// The positional files followed by those of --files-from, in that order. With --shard, or
// when sortAlways, the list is sorted by bytes and duplicates dropped. With --shard
// only this process's share remains: files are grouped by name without extension (the
// outputs' names come from it, so files that could claim the same output name stay on one
// machine and are numbered as one run would number them) and group g of the sorted list goes
// to share g mod N. False, with a line on err, when the list file cannot be read.
bool SelectInputs(const char* command, const InputSelection& selection, const std::vector<std::string>& positional,
                  bool sortAlways, std::vector<std::string>* files, std::ostream& err);

// {"input":"...","status":"...","output":"..."|null,"seconds":0.123}
void SummaryLine(std::ostream& out, const std::string& input, const std::string& status,
                 const std::vector<std::string>& outputs, double seconds);
std::string JsonString(const std::string& text);

// A rename plan carried out (or, dry, printed as "old TAB new" lines): the plan's failures and
// the refused renames each get a "pelira-cli COMMAND: ..." line. Exit status 0 or 1.
int CarryOutRenames(const char* command, const std::vector<RenameStep>& steps, const std::vector<std::string>& failures,
                    bool dryRun, std::ostream& out, std::ostream& err);

}  // namespace pelira::cli
