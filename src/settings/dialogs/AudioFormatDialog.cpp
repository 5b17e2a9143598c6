#include "settings/dialogs/AudioFormatDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <algorithm>

#include "audio/FormatDescription.h"
#include "settings/dialogs/OkCancelButtons.h"

namespace settings {
namespace {

QString TagName(const audio::WaveFormat& format) {
    return QString::fromStdString(audio::DescribeAudioFormat(format).tagName);
}

}  // namespace

AudioFormatDialog::AudioFormatDialog(const audio::WaveFormat& current,
                                     std::vector<audio::WaveFormat> offered, QWidget* parent)
    : QDialog(parent),
      offered_(std::move(offered)),
      tags_(new QComboBox(this)),
      formats_(new QComboBox(this)) {
    setWindowTitle(QStringLiteral("Select Audio Format"));
    tags_->setObjectName("formatTags");
    formats_->setObjectName("formats");
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("&Format :"), tags_);
    layout->addRow(QStringLiteral("&Attributes :"), formats_);
    layout->addRow(MakeOkCancelButtons(this));

    QStringList tags;
    for (const audio::WaveFormat& format : offered_)
        if (!tags.contains(TagName(format))) tags.append(TagName(format));
    tags.sort();
    tags_->addItems(tags);
    tags_->setCurrentText(TagName(current));
    ListFormatsOfTag();
    // Opens on the current format when it is one of those offered.
    const int index = formats_->findData(static_cast<int>(
        std::ranges::find(offered_, audio::NormalizePcm(current)) - offered_.begin()));
    if (index >= 0) formats_->setCurrentIndex(index);
    connect(tags_, &QComboBox::currentIndexChanged, this, [this] { ListFormatsOfTag(); });
}

void AudioFormatDialog::ListFormatsOfTag() {
    formats_->clear();
    for (size_t i = 0; i < offered_.size(); ++i)
        if (TagName(offered_[i]) == tags_->currentText())
            formats_->addItem(
                QString::fromStdString(audio::DescribeAudioFormat(offered_[i]).formatName),
                static_cast<int>(i));
}

std::optional<audio::WaveFormat> AudioFormatDialog::Chosen() const {
    if (formats_->currentIndex() < 0) return std::nullopt;
    const int index = formats_->currentData().toInt();
    if (index < 0 || static_cast<size_t>(index) >= offered_.size()) return std::nullopt;
    return offered_[static_cast<size_t>(index)];
}

}  // namespace settings
