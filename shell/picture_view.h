// The Picture view: the file on show drawn as a C64 picture, with the format it is drawn in
// (found from the file, or chosen), the palette, the zoom (1x, 2x, 3x or fit) and the PAL pixel
// aspect; what did not fit is said below the picture. The palette, zoom and aspect are
// remembered.
#pragma once

#include <QImage>
#include <QWidget>

#include <array>
#include <string_view>
#include <vector>

#include "viewer/picture_pane.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QScrollArea;
class PictureCanvas;

class PictureView : public QWidget {
    Q_OBJECT

  public:
    explicit PictureView(QWidget* parent = nullptr);

    // Shows picture (nothing to draw when its format is empty, then text says why), drawn in
    // the format chosen ("auto" for the one detected names, which may be empty).
    // Sprites and character sets (takesColours) offer their colours to choose.
    void showPicture(const kestrune::PicturePane& picture, const QString& text,
                     std::string_view detected, std::string_view chosen, bool takesColours);
    // The colours chosen for sprites and character sets (remembered between runs).
    kestrune::PictureColourChoice colours() const;
    // The picture in the palette's exact colours, at one pixel a pixel; null with none.
    QImage image() const;

    QComboBox* formatBox() const { return format_; }
    QComboBox* paletteBox() const { return palette_; }
    QComboBox* zoomBox() const { return zoom_; }
    QCheckBox* aspectBox() const { return aspect_; }
    QWidget* canvas() const;
    QLabel* noteLabel() const { return note_; }
    // The background, own colour, multicolour 1 and multicolour 2 boxes.
    const std::array<QComboBox*, 4>& colourBoxes() const { return colourBoxes_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  signals:
    // A format was chosen in the box: its key, or "auto".
    void formatChosen(const QString& key);
    // The colours of sprites and character sets were chosen.
    void coloursChosen(const kestrune::PictureColourChoice& colours);

  private:
    void Redraw();
    void Remember() const;

    std::vector<kestrune::PaletteChoice> palettes_;
    QComboBox* format_;
    QComboBox* palette_;
    QComboBox* zoom_;
    QCheckBox* aspect_;
    QWidget* colourRow_;
    std::array<QComboBox*, 4> colourBoxes_{};
    QScrollArea* scroll_;
    PictureCanvas* canvas_;
    QLabel* note_;
    QImage indexed_;        // colour numbers, the palette's colours in its table
    bool filling_ = false;  // the boxes are being set, not chosen by the user
};
