#include "shell/picture_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QSettings>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

#include "viewer/session.h"

namespace {

// A PAL C64's pixels are narrower than they are tall: 0.9365 as wide.
constexpr double kPalPixelAspect = 0.9365;

// The zoom box's choices, by index: a factor, or 0 for fitting the pane.
constexpr std::array<int, 4> kZooms = {1, 2, 3, 0};

QString Text(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QSettings Settings() {
    return QSettings(QStringLiteral("Kestrune"), QStringLiteral("Kestrune"));
}

}  // namespace

// Draws the picture scaled, each C64 pixel a block of whole screen pixels where it can.
class PictureCanvas : public QWidget {
  public:
    explicit PictureCanvas(QWidget* parent) : QWidget(parent) {}

    void setImage(const QImage& image, QSize size) {
        image_ = image;
        setFixedSize(size);
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        if (image_.isNull()) return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(rect(), image_);
    }

  private:
    QImage image_;
};

PictureView::PictureView(QWidget* parent)
    : QWidget(parent), palettes_(kestrune::Session::Palettes()) {
    format_ = new QComboBox(this);
    format_->setObjectName(QStringLiteral("pictureFormat"));
    format_->addItem(tr("Automatic"), QStringLiteral("auto"));
    for (const kestrune::PictureFormatChoice& format : kestrune::Session::PictureFormats())
        format_->addItem(Text(format.name), Latin1(format.key));
    palette_ = new QComboBox(this);
    palette_->setObjectName(QStringLiteral("picturePalette"));
    for (const kestrune::PaletteChoice& palette : palettes_)
        palette_->addItem(Latin1(palette.name), Latin1(palette.key));
    zoom_ = new QComboBox(this);
    zoom_->setObjectName(QStringLiteral("pictureZoom"));
    zoom_->addItems({QStringLiteral("1x"), QStringLiteral("2x"), QStringLiteral("3x"), tr("Fit")});
    aspect_ = new QCheckBox(tr("PAL aspect rat&io"), this);
    aspect_->setObjectName(QStringLiteral("pictureAspect"));
    {
        const QSettings settings = Settings();
        palette_->setCurrentIndex(std::max(
            0, palette_->findData(settings.value(QStringLiteral("picture/palette")).toString())));
        zoom_->setCurrentIndex(
            std::clamp(settings.value(QStringLiteral("picture/zoom"), 1).toInt(), 0, 3));
        aspect_->setChecked(settings.value(QStringLiteral("picture/palAspect"), false).toBool());
    }

    // Sprites' and characters' colours: background, own colour, the two multicolours.
    colourRow_ = new QWidget(this);
    auto* colourLayout = new QHBoxLayout(colourRow_);
    colourLayout->setContentsMargins(0, 0, 0, 0);
    const QStringList savedColours =
        Settings().value(QStringLiteral("picture/colours")).toStringList();
    const std::array<int, 4> defaults = {0, 1, 15, 12};
    const std::array<QString, 4> colourLabels = {tr("Bac&kground:"), tr("Colo&ur:"),
                                                 tr("Multicolour &1:"), tr("Multicolour &2:")};
    for (std::size_t i = 0; i < colourBoxes_.size(); ++i) {
        auto* box = new QComboBox(colourRow_);
        box->setObjectName(QStringLiteral("pictureColour%1").arg(i));
        const std::vector<std::string_view> names = kestrune::Session::ColourNames();
        for (std::size_t colour = 0; colour < names.size(); ++colour)
            box->addItem(QStringLiteral("%1 %2").arg(colour).arg(Latin1(names[colour])));
        const int saved = i < static_cast<std::size_t>(savedColours.size())
                              ? savedColours[static_cast<qsizetype>(i)].toInt()
                              : defaults[i];
        box->setCurrentIndex(std::clamp(saved, 0, 15));
        auto* label = new QLabel(colourLabels[i], colourRow_);
        label->setBuddy(box);
        colourLayout->addWidget(label);
        colourLayout->addWidget(box);
        colourBoxes_[i] = box;
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            Remember();
            emit coloursChosen(colours());
        });
    }
    colourLayout->addStretch();
    colourRow_->hide();

    auto* controls = new QHBoxLayout;
    const auto addLabelled = [&](const QString& text, QWidget* box) {
        auto* label = new QLabel(text, this);
        label->setBuddy(box);
        controls->addWidget(label);
        controls->addWidget(box);
    };
    addLabelled(tr("For&mat:"), format_);
    addLabelled(tr("Pale&tte:"), palette_);
    addLabelled(tr("&Zoom:"), zoom_);
    controls->addWidget(aspect_);
    controls->addStretch();

    canvas_ = new PictureCanvas(this);
    canvas_->setObjectName(QStringLiteral("pictureCanvas"));
    scroll_ = new QScrollArea(this);
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setWidget(canvas_);
    scroll_->setFocusPolicy(Qt::NoFocus);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("pictureNote"));
    note_->setWordWrap(true);
    note_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(controls);
    layout->addWidget(colourRow_);
    layout->addWidget(scroll_, 1);
    layout->addWidget(note_);

    connect(format_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!filling_) emit formatChosen(format_->itemData(index).toString());
    });
    const auto restyle = [this] {
        Remember();
        Redraw();
    };
    connect(palette_, &QComboBox::currentIndexChanged, this, restyle);
    connect(zoom_, &QComboBox::currentIndexChanged, this, restyle);
    connect(aspect_, &QCheckBox::toggled, this, restyle);
}

QWidget* PictureView::canvas() const {
    return canvas_;
}

void PictureView::Remember() const {
    QSettings settings = Settings();
    settings.setValue(QStringLiteral("picture/palette"), palette_->currentData());
    settings.setValue(QStringLiteral("picture/zoom"), zoom_->currentIndex());
    settings.setValue(QStringLiteral("picture/palAspect"), aspect_->isChecked());
    QStringList colours;
    for (const QComboBox* box : colourBoxes_)
        colours << QString::number(box->currentIndex());
    settings.setValue(QStringLiteral("picture/colours"), colours);
}

kestrune::PictureColourChoice PictureView::colours() const {
    const auto colour = [&](std::size_t i) {
        return static_cast<std::uint8_t>(std::max(0, colourBoxes_[i]->currentIndex()));
    };
    return {colour(0), colour(1), colour(2), colour(3)};
}

void PictureView::showPicture(const kestrune::PicturePane& picture, const QString& text,
                              std::string_view detected, std::string_view chosen,
                              bool takesColours) {
    colourRow_->setVisible(takesColours);
    filling_ = true;
    // "Automatic" names what the file is drawn as when nothing is chosen.
    QString automatic = tr("Automatic");
    if (const int found = format_->findData(Latin1(detected)); !detected.empty() && found > 0)
        automatic += QStringLiteral(" (%1)").arg(format_->itemText(found));
    format_->setItemText(0, automatic);
    format_->setCurrentIndex(std::max(0, format_->findData(Latin1(chosen))));
    filling_ = false;
    if (picture.format.empty() || picture.width <= 0 || picture.height <= 0) {
        indexed_ = QImage();
    } else {
        indexed_ = QImage(picture.width, picture.height, QImage::Format_Indexed8);
        for (int y = 0; y < picture.height; ++y) {
            std::memcpy(indexed_.scanLine(y),
                        picture.pixels.data() + static_cast<std::size_t>(y) * picture.width,
                        static_cast<std::size_t>(picture.width));
        }
    }
    note_->setText(picture.format.empty() ? text : Text(picture.note));
    note_->setVisible(!note_->text().isEmpty());
    Redraw();
}

QImage PictureView::image() const {
    if (indexed_.isNull()) return {};
    QImage image = indexed_;
    QList<QRgb> colours;
    for (const std::uint32_t rgb :
         palettes_[static_cast<std::size_t>(palette_->currentIndex())].rgb)
        colours << (0xFF000000u | rgb);
    image.setColorTable(colours);
    return image.convertToFormat(QImage::Format_RGB888);
}

void PictureView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (kZooms[static_cast<std::size_t>(std::max(0, zoom_->currentIndex()))] == 0) Redraw();
}

void PictureView::Redraw() {
    const QImage image = this->image();
    if (image.isNull()) {
        canvas_->setImage({}, QSize(0, 0));
        return;
    }
    const double aspect = aspect_->isChecked() ? kPalPixelAspect : 1.0;
    double scale = kZooms[static_cast<std::size_t>(std::max(0, zoom_->currentIndex()))];
    if (scale == 0) {
        const QSize room = scroll_->viewport()->size();
        scale = std::max(0.25, std::min(room.width() / (image.width() * aspect),
                                        static_cast<double>(room.height()) / image.height()));
    }
    canvas_->setImage(image, QSize(std::max(1, static_cast<int>(image.width() * aspect * scale)),
                                   std::max(1, static_cast<int>(image.height() * scale))));
}
