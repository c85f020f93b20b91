// Table-driven checks of the functions that name files from a chosen name and an extension.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace motifora::test {

struct NameCase {
    const char* chosen;
    const char* extension;
    const char* expected;
};

template <class NameOf>
void expectNames(NameOf nameOf, std::initializer_list<NameCase> cases) {
    for (const NameCase& c : cases)
        EXPECT_EQ(std::string(nameOf(c.chosen, c.extension)), c.expected)
            << c.chosen << " with " << c.extension;
}

}  // namespace motifora::test
