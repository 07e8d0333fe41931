/* qel msg: the text that QELBaseFormatMessage gives for a result code. */
#include <iostream>
#include <string>

#include "Commands.h"
#include "Console.h"

namespace qel::cli {
namespace {

constexpr std::string_view kUsage = "qel msg CODE [--lang en|de]";

int runMsg(Args args) {
  DWORD language = 0;
  std::string_view codeText;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--lang") {
      if (i + 1 >= args.size()) return usageError("--lang needs a value", kUsage);
      std::string_view lang = args[++i];
      if (lang == "en")
        language = 1033;
      else if (lang == "de")
        language = 1031;
      else
        return usageError("unknown language '" + std::string(lang) + "' (en or de)", kUsage);
    } else if (codeText.empty()) {
      codeText = args[i];
    } else {
      return usageError("unexpected argument '" + std::string(args[i]) + "'", kUsage);
    }
  }
  DWORD code = 0;
  if (codeText.empty()) return usageError("missing CODE", kUsage);
  if (!parseCode(codeText, code))
    return usageError("CODE must be decimal or 0x-hex: '" + std::string(codeText) + "'", kUsage);
  std::cout << messageText(code, language) << "\n";
  return 0;
}

}  // namespace

const Command kMsgCommand{"msg", "CODE [--lang en|de]", "print the message text of a result code",
                          "Prints the text of CODE (decimal or 0x-hex) from the library's message\n"
                          "catalogue, else from the system's messages, else \"Unknown Error Code: ...\".\n"
                          "--lang en|de picks English (1033) or German (1031); without it the user's\n"
                          "language decides (QELBASE_LOCALE, LC_ALL, LC_MESSAGES, LANG).\n",
                          runMsg};

}  // namespace qel::cli
