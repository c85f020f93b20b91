// A main window over a window model with scripted dialogs, and helpers to find and drive widgets.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QSettings>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "EventWait.h"
#include "ui/model/ScriptedDialogs.h"
#include "ui/model/TMainForm.h"
#include "ui/qt/MainWindow.h"

namespace motifora::testing {

inline const std::string kExamples = MOTIFORA_EXAMPLES_DIR;
inline const std::string kPositive = kExamples + "/promoters_pos.seq";
inline const std::string kNegative = kExamples + "/promoters_neg.seq";

class WindowFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        // Each window starts as on a first run: the program's own words, no recent projects.
        QSettings().clear();
        form = std::make_unique<TMainForm>(dialogs);
        window = std::make_unique<MainWindow>(*form);
        window->resize(1280, 900);
        window->show();
        // Clicks reach a window only once it is on the (offscreen) screen.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void TearDown() override {
        // Closing stops any worker before the model goes.
        if (window) window->close();
        window.reset();
        form.reset();
    }

    // The widget of that object name; fails the test when there is none.
    template <class W>
    W* widget(const char* name) {
        W* w = window->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << "no widget named " << name;
        return w;
    }
    QAction* action(const char* name) { return widget<QAction>(name); }

    // Triggers a menu item or tool-bar action as a click does (only when it is enabled).
    void trigger(const char* name) {
        QAction* a = action(name);
        ASSERT_NE(a, nullptr);
        ASSERT_TRUE(a->isEnabled()) << name << " is disabled";
        a->trigger();
    }

    // Lets the event loop (and the window's 100 ms timer) run until `done` holds.
    static bool waitFor(const std::function<bool()>& done, int timeoutMs = 300000) {
        return waitForEvents(done, timeoutMs);
    }

    bool shown(const std::string& text) const {
        return std::any_of(dialogs.messages.begin(), dialogs.messages.end(),
                           [&text](const MessageRequest& m) { return m.text == text; });
    }
    std::string lastMessage() const {
        return dialogs.messages.empty() ? std::string() : dialogs.messages.back().text;
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<MainWindow> window;
};

}  // namespace motifora::testing
