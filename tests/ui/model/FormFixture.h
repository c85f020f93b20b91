// A window model driven by scripted dialogs and a hand-set clock, for the window model's tests.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/FormTicks.h"
#include "ui/model/ScriptedDialogs.h"
#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora::testing {

// Every text of every row of a grid.
inline std::vector<std::vector<std::string>> gridTexts(const Grid& grid) {
    std::vector<std::vector<std::string>> rows;
    for (int32_t r = 0; r < grid.rowCount(); ++r) rows.push_back(grid.row(r));
    return rows;
}

class FormFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        form = std::make_unique<TMainForm>(dialogs, [this] { return clockDays; });
        form->numberFormat.setSeparator('.');
    }

    TMainManager& manager() { return *form->mainManager; }
    // Moves the clock on by `seconds`.
    void advance(double seconds) { clockDays += seconds / 86400.0; }
    // The last message shown, or an empty request when there was none.
    MessageRequest lastMessage() const {
        return dialogs.messages.empty() ? MessageRequest{} : dialogs.messages.back();
    }
    // Runs the started process to its reported end (test::tickToEnd); returns the message
    // texts shown meanwhile.
    std::vector<std::string> tickToEnd() { return test::tickToEnd(*form, dialogs); }
    std::vector<std::string> column(const Grid& grid, int32_t c) const {
        std::vector<std::string> texts;
        for (int32_t r = 1; r < grid.rowCount(); ++r) texts.push_back(grid.cell(c, r));
        return texts;
    }

    ScriptedDialogs dialogs;
    double clockDays = 1000.0;
    std::unique_ptr<TMainForm> form;
};

}  // namespace motifora::testing
