#include "cli/replay_command.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace orvantis {

namespace {

std::string shellWord(const std::string& word) {
  const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("-_./=:,+@%").find(c) != std::string_view::npos;
  });
  if (plain) return word;
  std::string quoted = "'";
  for (const char c : word) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

// The option `word` names (its text before any '='), when it is one of `names`.
bool isOption(const std::string& word, std::initializer_list<const char*> names, bool& joined) {
  for (const char* name : names) {
    const std::string option(name);
    if (word == option) {
      joined = false;
      return true;
    }
    if (word.rfind(option + "=", 0) == 0) {
      joined = true;
      return true;
    }
  }
  return false;
}

}  // namespace

std::string replayCommand(const std::vector<std::string>& arguments, int seed, bool replicates) {
  if (arguments.empty()) return {};
  std::vector<std::string> words{arguments.front()};
  std::size_t i = 1;
  if (arguments.size() > 1 && arguments[1] == "genetics") {
    words.push_back("genetics");
    i = 2;
  }
  words.push_back("--seed");
  words.push_back(std::to_string(seed));
  if (replicates) {
    for (const char* word : {"--threads", "1", "--simulations", "S"}) words.emplace_back(word);
  }
  for (; i < arguments.size(); ++i) {
    bool joined = false;
    const bool replaced =
        replicates ? isOption(arguments[i], {"--seed", "--threads", "--simulations"}, joined)
                   : isOption(arguments[i], {"--seed"}, joined);
    if (replaced) {
      if (!joined) ++i;  // its value
      continue;
    }
    words.push_back(arguments[i]);
  }
  std::string command;
  for (const std::string& word : words) {
    if (!command.empty()) command += ' ';
    command += shellWord(word);
  }
  return command;
}

}  // namespace orvantis
