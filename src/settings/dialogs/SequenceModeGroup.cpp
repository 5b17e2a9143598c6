#include "settings/dialogs/SequenceModeGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace settings {

SequenceModeGroup::SequenceModeGroup(SequenceMode mode, QWidget* parent)
    : QGroupBox(QStringLiteral("Sequence"), parent), pending_(mode) {
    static constexpr const char* kNames[] = {"sequenceSkipBackward", "sequenceFrameByFrame",
                                             "sequenceNormal"};
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QButtonGroup(this);
    for (size_t i = 0; i < kSequenceModes.size(); ++i) {
        const SequenceMode buttonMode = kSequenceModes[i];
        auto* button = new QRadioButton(QString::fromUtf8(SequenceModeLabel(buttonMode)), this);
        button->setObjectName(kNames[i]);
        button->setChecked(buttonMode == mode);
        buttons->addButton(button);
        layout->addWidget(button);
        connect(button, &QRadioButton::clicked, this,
                [this, buttonMode] { pending_ = buttonMode; });
    }
}

}  // namespace settings
