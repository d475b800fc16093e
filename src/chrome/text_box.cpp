// SPDX-License-Identifier: GPL-3.0-or-later
#include "chrome/text_box.h"

#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <limits>
#include <string>

#include "chrome/chrome_units.h"
#include "chrome/color_list.h"

namespace tunewell::chrome {

namespace {

constexpr int kFieldLeft = 3;
constexpr int kFieldTop = 3;
constexpr int kFieldHeight = 16;
constexpr const char* kGrey = "10066329";   // &H00999999
constexpr const char* kWhite = "16777215";  // &H00FFFFFF

// A 24-pixel column: grey, 19 white, grey, white, white, grey. Only its
// first 21 rows fall inside the box: a grey pixel top and bottom.
std::string FramedColumn() {
    std::string column = kGrey;
    for (int i = 0; i < 19; ++i) column += std::string(",") + kWhite;
    for (const char* colour : {kGrey, kWhite, kWhite, kGrey}) column += std::string(",") + colour;
    return column;
}

// The middle of the frame: one framed column.
const std::string& MiddleList() {
    static const std::string list = "23," + FramedColumn();
    return list;
}

// An edge of the frame: an all-grey column, then a framed column.
const std::string& EdgeList() {
    static const std::string list = [] {
        std::string text = "23";
        for (int i = 0; i < 24; ++i) text += std::string(",") + kGrey;
        return text + "," + FramedColumn();
    }();
    return list;
}

std::int16_t ToInt16(int value) {
    return static_cast<std::int16_t>(std::clamp<int>(value, std::numeric_limits<std::int16_t>::min(),
                                                     std::numeric_limits<std::int16_t>::max()));
}

}  // namespace

TextBox::TextBox(QWidget* parent) : QWidget(parent), field_(new QLineEdit(this)) {
    field_->setFrame(false);
    field_->setTextMargins(0, 0, 0, 0);
    // A field holds what it is given: the line edit would cut anything past
    // 32767 characters, and the program would fetch and save another
    // address than the one pasted.
    field_->setMaxLength(std::numeric_limits<int>::max());
    QPalette palette = field_->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    field_->setPalette(palette);
    setFocusProxy(field_);
    setFocusPolicy(field_->focusPolicy());
    setFixedHeight(TwipsToPixels(kHeightTwips));
    connect(field_, &QLineEdit::textChanged, this, &TextBox::Change);
    LoadGUI();
}

QString TextBox::Text() const {
    return field_->text();
}

QRect TextBox::TextLine() const {
    return QRect(mapToParent(QPoint(0, kFieldTop)), QSize(width(), kFieldHeight));
}

void TextBox::SetText(const QString& text) {
    field_->setText(text);
}

void TextBox::LoadGUI() {
    surface_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    surface_.fill(Qt::transparent);
    const std::int16_t inner = ToInt16(width());
    DrawColorList(1, EdgeList(), 0, 0, true, 0);
    DrawColorList(inner, MiddleList(), 2, 0, true, 0);
    DrawColorList(1, EdgeList(), ToInt16(inner - 1), 0, true, 0);
    setFixedHeight(TwipsToPixels(kHeightTwips));
    field_->setGeometry(kFieldLeft, kFieldTop, std::max(0, width() - 2 * kFieldLeft), kFieldHeight);
    update();
}

std::int16_t TextBox::DrawColorList(std::int16_t length, std::string_view list, std::int16_t x,
                                    std::int16_t y, bool adjust, std::int16_t amount) {
    return chrome::DrawColorList(surface_, length, list, x, y, adjust, amount);
}

void TextBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), surface_, event->rect());
}

void TextBox::resizeEvent(QResizeEvent*) {
    LoadGUI();
}

void TextBox::showEvent(QShowEvent*) {
    LoadGUI();
}

}  // namespace tunewell::chrome
