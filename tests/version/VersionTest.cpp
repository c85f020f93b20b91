// The version text: the project version of the build, then the git revision when there is one.
#include <gtest/gtest.h>

#include <regex>

#include "version/Version.h"

namespace motifora {
namespace {

TEST(VersionTest, ProjectVersionIsTheBuildsAndLeadsTheText) {
    EXPECT_EQ(projectVersion(), MOTIFORA_EXPECTED_VERSION);
    const std::string text = versionText();
    ASSERT_EQ(text.rfind(projectVersion(), 0), 0u) << text;
    // Nothing else, or the revision in one parenthesis: short hash, "-modified" for a tree
    // with uncommitted changes, or whatever MOTIFORA_GIT_REVISION was set to.
    const std::string rest = text.substr(projectVersion().size());
    EXPECT_TRUE(rest.empty() || std::regex_match(rest, std::regex(R"( \(git [^()\s]+\))"))) << text;
}

}  // namespace
}  // namespace motifora
