// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/program_font.h"

#include <QApplication>
#include <QFont>
#include <QStringList>

namespace tunewell::widgets {

void InstallProgramFont() {
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("WenQuanYi Micro Hei"),
                                QStringLiteral("Noto Sans CJK SC")});
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);  // the look of 8.25 point Tahoma beside 9 point Chinese text
    QApplication::setFont(font);
}

}  // namespace tunewell::widgets
