// The option declarations both commands of motifora-cli share.
#include "cli/OptionGroup.h"

namespace motifora {

CLI::Option* OptionGroup::typed(const std::string& option, std::optional<std::string>& target,
                                const std::string& typeName, const std::string& description,
                                const std::vector<std::string>& choices) {
    CLI::Option* declared =
        app_.add_option_function<std::string>(
                option, [&target](const std::string& text) { target = text; }, description)
            ->type_name(typeName);
    if (!choices.empty()) declared->check(CLI::IsMember(choices).description(""));
    return declared->group(name_);
}

CLI::Option* OptionGroup::text(const std::string& option, std::string& target,
                               const std::string& typeName, const std::string& description) {
    return app_.add_option(option, target, description)->type_name(typeName)->group(name_);
}

CLI::Option* OptionGroup::texts(const std::string& option, std::vector<std::string>& target,
                                const std::string& typeName, const std::string& description) {
    return app_.add_option(option, target, description)->type_name(typeName)->group(name_);
}

CLI::Option* OptionGroup::flag(const std::string& option, bool& target,
                               const std::string& description) {
    return app_.add_flag(option, target, description)->group(name_);
}

}  // namespace motifora
