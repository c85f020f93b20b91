// The declaration of command-line options both commands of motifora-cli use.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace motifora {

// Declares the options of one help group in the order they are added; both commands declare
// every option through it, so that their texts are checked after the parse by the readers of
// OptionReaders.h and refused in the same words.
class OptionGroup {
  public:
    OptionGroup(CLI::App& app, std::string name) : app_(app), name_(std::move(name)) {}

    // An option whose text is kept as typed in `target` when given; `choices`, when not empty,
    // are the only texts the parser accepts.
    CLI::Option* typed(const std::string& option, std::optional<std::string>& target,
                       const std::string& typeName, const std::string& description,
                       const std::vector<std::string>& choices = {});
    // An option stored as typed, unchecked (file names).
    CLI::Option* text(const std::string& option, std::string& target, const std::string& typeName,
                      const std::string& description);
    // A repeatable option, every text kept in the order given.
    CLI::Option* texts(const std::string& option, std::vector<std::string>& target,
                       const std::string& typeName, const std::string& description);
    CLI::Option* flag(const std::string& option, bool& target, const std::string& description);

  private:
    CLI::App& app_;
    std::string name_;
};

}  // namespace motifora
