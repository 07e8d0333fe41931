/* qel: the QELBase command-line tool. */
#include <array>
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Console.h"
#include "QELBase.h"

namespace {

using qel::cli::Command;

constexpr std::array<const Command*, 8> kCommands{
    &qel::cli::kDateCommand, &qel::cli::kEvalCommand, &qel::cli::kExampleCommand, &qel::cli::kFormatCommand,
    &qel::cli::kMsgCommand,  &qel::cli::kRegCommand,  &qel::cli::kScanCommand,    &qel::cli::kTraceCommand};

void printHelp() {
  std::cout << "usage: qel COMMAND [ARGS...]\n       qel --help | --version\n       qel COMMAND --help\n\n"
               "Commands:\n";
  for (const Command* c : kCommands) {
    std::string line = "  " + std::string(c->name) + " " + std::string(c->usage);
    // A long usage gets its summary on the next line, under the others.
    if (line.size() < 40)
      line.resize(40, ' ');
    else
      line += "\n" + std::string(40, ' ');
    std::cout << line << c->summary << "\n";
  }
}

// Output that could not be written is a failure, not a silent success.
int finish(int status) {
  std::cout.flush();
  if (std::cout) return status;
  std::cerr << "qel: cannot write the output\n";
  return 1;
}

int run(const std::vector<std::string_view>& args) {
  if (args.empty()) return qel::cli::usageError("missing command", "qel COMMAND [ARGS...] (see qel --help)");
  if (args[0] == "--help" || args[0] == "-h") {
    printHelp();
    return 0;
  }
  if (args[0] == "--version") {
    std::cout << "qel " << QELBASE_FILE_VERSION_TEXT << " (" << QELBASE_PRODUCT_NAME << " "
              << QELBASE_PRODUCT_VERSION_TEXT << ", " << QELBASE_FILE_DESCRIPTION << ")\n";
    return 0;
  }
  for (const Command* c : kCommands) {
    if (args[0] != c->name) continue;
    qel::cli::Args rest(args.data() + 1, args.size() - 1);
    if (!rest.empty() && (rest[0] == "--help" || rest[0] == "-h")) {
      std::cout << "usage: qel " << c->name << " " << c->usage << "\n\n" << c->details;
      return 0;
    }
    return c->run(rest);
  }
  return qel::cli::usageError("unknown command '" + std::string(args[0]) + "'",
                              "qel COMMAND [ARGS...] (see qel --help)");
}

}  // namespace

int main(int argc, char** argv) { return finish(run({argv + 1, argv + argc})); }
