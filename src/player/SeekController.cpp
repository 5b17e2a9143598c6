#include "player/SeekController.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <algorithm>
#include <limits>

#include "player/HostEvents.h"
#include "player/HostValueEvent.h"

namespace player {
namespace {

// The trackbar counts in int, so no frame beyond this can be shown or reached.
constexpr uint32_t kLastReachableFrame = std::numeric_limits<int32_t>::max();
// Enough digits for any reachable frame.
constexpr int kFrameDigits = 10;

QLineEdit* MakeFrameEdit(const char* objectName, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    edit->setMaxLength(kFrameDigits);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    return edit;
}

// A frame edit's number; empty reads as 0, and numbers past the trackbar's reach are
// taken as its last frame.
uint32_t ReadFrame(const QLineEdit* edit) {
    const unsigned long long value = edit->text().toULongLong();
    return static_cast<uint32_t>(std::min<unsigned long long>(value, kLastReachableFrame));
}

QPushButton* MakeButton(const QString& text, const char* objectName, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    return button;
}

bool IsEnterKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The end of a move of the trackbar by mouse or keyboard, which the trackbar reports as
// its "end track" scroll.
bool EndsTrackMove(const QEvent* event) {
    // Any button: some styles move the thumb straight to a click of another button.
    if (event->type() == QEvent::MouseButtonRelease) return true;
    if (event->type() != QEvent::KeyRelease) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->isAutoRepeat()) return false;
    switch (key->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            return true;
        default:
            return false;
    }
}

}  // namespace

SeekController::SeekController(QObject* owner, QWidget* parent) : QDialog(parent), owner_(owner) {
    setWindowTitle(QStringLiteral("Seek Controller"));
    setModal(false);

    sequence_ = new QComboBox(this);
    sequence_->setObjectName(QStringLiteral("sequence"));
    sequence_->addItems({QStringLiteral("Skip backward frame"), QStringLiteral("Frame by frame"),
                         QStringLiteral("Normal")});
    sequence_->setCurrentIndex(static_cast<int>(settings::SequenceMode::Normal));
    connect(sequence_, &QComboBox::activated, this, &SeekController::OnSequenceChosen);

    currentFrame_ = MakeFrameEdit("currentFrame", this);
    endFrameEdit_ = MakeFrameEdit("endFrame", this);
    currentFrame_->installEventFilter(this);
    endFrameEdit_->installEventFilter(this);

    track_ = new QSlider(Qt::Horizontal, this);
    track_->setObjectName(QStringLiteral("position"));
    track_->setMinimum(0);
    track_->setMaximum(0);
    track_->installEventFilter(this);
    connect(track_, &QSlider::actionTriggered, this, &SeekController::OnTrackAction);

    playStop_ = MakeButton(QStringLiteral("Play"), "playStop", this);
    auto* rewind = MakeButton(QStringLiteral("Rewind"), "rewind", this);
    previous_ = MakeButton(QStringLiteral("Previous"), "previous", this);
    next_ = MakeButton(QStringLiteral("Next"), "next", this);
    auto* end = MakeButton(QStringLiteral("End"), "end", this);
    connect(playStop_, &QPushButton::clicked, this, &SeekController::OnPlayStop);
    connect(rewind, &QPushButton::clicked, this, &SeekController::OnRewind);
    connect(previous_, &QPushButton::clicked, this, &SeekController::OnPrevious);
    connect(next_, &QPushButton::clicked, this, &SeekController::OnNext);
    connect(end, &QPushButton::clicked, this, &SeekController::OnEnd);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Sequence :"), this), 0, 0);
    fields->addWidget(sequence_, 0, 1, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("Current frame :"), this), 1, 0);
    fields->addWidget(currentFrame_, 1, 1);
    fields->addWidget(new QLabel(QStringLiteral("End frame :"), this), 1, 2, Qt::AlignRight);
    fields->addWidget(endFrameEdit_, 1, 3);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {playStop_, rewind, previous_, next_, end})
        buttons->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(track_);
    layout->addLayout(buttons);
    setLayout(layout);

    SetEndFrame(0);
}

void SeekController::SetEndFrame(uint32_t n) {
    endFrame_ = std::min(n, kLastReachableFrame);
    ShowStoppedState();
    SetTrackMaximum(endFrame_);
    track_->setValue(0);
    endFrameEdit_->setText(QString::number(endFrame_));
    ShowPositionInEdit(0);
}

void SeekController::ShowFrame(uint32_t n) {
    if (n <= endFrame_) MoveTo(n);
}

void SeekController::Step() {
    if (Position() < endFrame_) MoveTo(Position() + 1);
}

void SeekController::ShowStoppedState() {
    playing_ = false;
    playStop_->setText(QStringLiteral("Play"));
    currentFrame_->setEnabled(true);
    previous_->setEnabled(true);
    next_->setEnabled(true);
}

bool SeekController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == currentFrame_ || watched == endFrameEdit_) {
        // Enter moves the focus on, and leaving the edit applies what was typed.
        if (IsEnterKey(event)) {
            focusNextChild();
            return true;
        }
        if (event->type() == QEvent::FocusOut &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            if (watched == currentFrame_)
                OnCurrentFrameLeft();
            else
                OnEndFrameLeft();
        }
    } else if (watched == track_) {
        // The wheel would move the trackbar without ever ending a move: no seek would follow.
        if (event->type() == QEvent::Wheel) return true;
        if (EndsTrackMove(event)) OnTrackEnded();
    }
    return QDialog::eventFilter(watched, event);
}

void SeekController::closeEvent(QCloseEvent* event) {
    event->accept();
    HostValueEvent::Post(owner_, SeekClosed, 0, 0);
}

void SeekController::OnSequenceChosen(int index) {
    if (index < 0 || index == static_cast<int>(mode_)) return;
    ShowStoppedState();
    mode_ = static_cast<settings::SequenceMode>(index);
    Post(SeekModeChanged, 0);
}

void SeekController::OnEndFrameLeft() {
    const uint32_t typed = ReadFrame(endFrameEdit_);
    if (typed == endFrame_) return;
    endFrame_ = typed;
    SetTrackMaximum(endFrame_);
    ShowPositionInEdit(Position());
    Post(SeekStep, Position());
}

void SeekController::OnCurrentFrameLeft() {
    const uint32_t typed = ReadFrame(currentFrame_);
    if (typed > endFrame_) {
        MoveTo(endFrame_);
        Post(SeekStep, endFrame_);
    } else if (typed != Position()) {
        track_->setValue(static_cast<int>(typed));
        Post(SeekStep, typed);
    }
}

void SeekController::OnTrackAction(int action) {
    // Page steps and dragging show the frame at once; the seek waits for the end of the move.
    if (action == QAbstractSlider::SliderPageStepAdd ||
        action == QAbstractSlider::SliderPageStepSub || action == QAbstractSlider::SliderMove)
        ShowPositionInEdit(static_cast<uint32_t>(track_->sliderPosition()));
}

void SeekController::OnTrackEnded() {
    ShowPositionInEdit(Position());
    Post(SeekStep, Position());
}

void SeekController::OnPlayStop() {
    if (playing_) {
        ShowStoppedState();
    } else {
        if (Position() >= endFrame_) OnRewind();
        playing_ = true;
        playStop_->setText(QStringLiteral("Stop"));
        currentFrame_->setEnabled(false);
        previous_->setEnabled(false);
        next_->setEnabled(false);
    }
    Post(SeekPlayState, playing_ ? 1 : 0);
}

void SeekController::OnRewind() {
    MoveTo(0);
    Post(SeekStep, 0);
}

void SeekController::OnPrevious() {
    if (Position() == 0) return;
    MoveTo(Position() - 1);
    Post(SeekStep, Position());
}

void SeekController::OnNext() {
    if (Position() >= endFrame_) return;
    MoveTo(Position() + 1);
    Post(SeekStep, Position());
}

void SeekController::OnEnd() {
    MoveTo(endFrame_);
    Post(SeekStep, endFrame_);
}

uint32_t SeekController::Position() const {
    return static_cast<uint32_t>(track_->value());
}

void SeekController::MoveTo(uint32_t frame) {
    track_->setValue(static_cast<int>(frame));
    ShowPositionInEdit(frame);
}

void SeekController::ShowPositionInEdit(uint32_t frame) {
    currentFrame_->setText(QString::number(frame));
}

void SeekController::SetTrackMaximum(uint32_t endFrame) {
    track_->setMaximum(static_cast<int>(endFrame));
}

void SeekController::Post(QEvent::Type type, uint32_t value) {
    HostValueEvent::Post(owner_, type, value, static_cast<int64_t>(mode_));
}

}  // namespace player
