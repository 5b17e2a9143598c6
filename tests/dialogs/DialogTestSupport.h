#pragma once
// Helpers for driving the settings dialogs in tests: their controls by object name, the
// messages they show, and answers for the modal choosers they open.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>
#include <functional>
#include <vector>

#include "settings/dialogs/DialogMessages.h"

namespace dialogtest {

template <typename Control>
Control* Find(const QWidget& dialog, const char* name) {
    auto* control = dialog.findChild<Control*>(QString::fromUtf8(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

inline void Click(const QWidget& dialog, const char* name) {
    if (auto* button = Find<QAbstractButton>(dialog, name)) button->click();
}

inline void Type(const QWidget& dialog, const char* name, const char* text) {
    if (auto* edit = Find<QLineEdit>(dialog, name)) edit->setText(QString::fromUtf8(text));
}

inline QString Text(const QWidget& dialog, const char* name) {
    auto* edit = Find<QLineEdit>(dialog, name);
    return edit ? edit->text() : QString();
}

// Every message a dialog shows, in order.
struct MessageLog {
    std::vector<settings::DialogMessage> shown;

    settings::ShowMessage Recorder() {
        return
            [this](QWidget*, const settings::DialogMessage& message) { shown.push_back(message); };
    }
    // The string ids shown since the last call.
    std::vector<int> TakeIds() {
        std::vector<int> ids;
        for (const auto& message : shown) ids.push_back(message.stringId);
        shown.clear();
        return ids;
    }
};

// Answers the next modal dialog opened from the event loop with `answer`, which ends it.
template <typename Dialog>
void AnswerNextModal(std::function<void(Dialog&)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        auto* typed = dynamic_cast<Dialog*>(dialog);
        ASSERT_NE(typed, nullptr);
        answer(*typed);
    });
}

}  // namespace dialogtest
