// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <string_view>

class QLineEdit;

namespace tunewell::chrome {

// A single-line input field in a painted frame: a borderless white edit
// field at (3, 3), 16 pixels high and as wide as the box less 6, inside a
// one-pixel grey border drawn from colour lists (see color_list.h). The box
// is always 312 twips (21 pixels) high, whatever height its host gives it;
// its width is the host's. The field writes in the host's font (the
// program's). The host reads and writes Text; Field() gives the
// inner edit field for settings such as the echo mode or a validator.
// The box owns its field; focus given to the box goes to the field.
class TextBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text WRITE SetText NOTIFY Change)

public:
    static constexpr int kHeightTwips = 312;

    explicit TextBox(QWidget* parent = nullptr);

    // Exactly what the field holds, also when the field masks its display.
    QString Text() const;
    void SetText(const QString& text);
    QLineEdit* Field() const { return field_; }
    // Where the field's line of text lies, in the parent's coordinates: a
    // caption beside the box lines up with its text when it takes this
    // rectangle's top and height and centres its text vertically.
    QRect TextLine() const;

    // Repaints the frame and fits the field to the box's width. Runs by
    // itself on every show and resize.
    void LoadGUI();

    // Paints a colour list onto the box's surface; see chrome::DrawColorList.
    std::int16_t DrawColorList(std::int16_t length, std::string_view list, std::int16_t x,
                               std::int16_t y, bool adjust, std::int16_t amount);

    // The painted frame (transparent where nothing was painted).
    const QImage& Surface() const { return surface_; }

signals:
    // The field's text changed, by typing or through SetText.
    void Change();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* field_;
    QImage surface_;
};

}  // namespace tunewell::chrome
