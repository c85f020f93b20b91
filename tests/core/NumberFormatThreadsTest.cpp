// The number texts read the separator from any thread while the window switches it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/NumberFormat.h"

namespace motifora {
namespace {

TEST(NumberFormatThreads, FormattingWhileTheSeparatorSwitches) {
    NumberFormat f(',');
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::atomic<int> rounds{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                // Each call reads the separator once, so a text never mixes the two.
                const std::string s = f.fixed(17.5, 2);
                if (s != "17,50" && s != "17.50") ++bad;
                const std::string g = f.general(0.25);
                if (g != "0,25" && g != "0.25") ++bad;
                double v = 0;
                if (f.tryReadReal("3", v) && v != 3.0) ++bad;
                ++rounds;
            }
        });
    }
    // Switch (an even number of times) until the readers have formatted plenty of texts.
    while (rounds.load() < 3000) {
        f.switchSeparator();
        f.switchSeparator();
    }
    stop = true;
    for (std::thread& t : readers) t.join();
    EXPECT_EQ(bad.load(), 0);
    EXPECT_EQ(f.separator(), ',');  // an even number of switches
}

}  // namespace
}  // namespace motifora
