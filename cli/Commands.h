/* The qel subcommands: one source file each, listed in main.cpp's table. */
#ifndef QEL_CLI_COMMANDS_H
#define QEL_CLI_COMMANDS_H

#include <span>
#include <string_view>

namespace qel::cli {

using Args = std::span<const std::string_view>;

struct Command {
  std::string_view name;
  std::string_view usage;    // the arguments, after "qel NAME"
  std::string_view summary;  // one line for `qel --help`
  std::string_view details;  // printed by `qel NAME --help`
  int (*run)(Args args);     // args exclude the command name; exit code
};

extern const Command kMsgCommand;
extern const Command kDateCommand;
extern const Command kEvalCommand;
extern const Command kExampleCommand;
extern const Command kFormatCommand;
extern const Command kRegCommand;
extern const Command kScanCommand;
extern const Command kTraceCommand;

}  // namespace qel::cli

#endif
