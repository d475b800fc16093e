// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/plain_tool_tip.h"

namespace tunewell::widgets {

QString PlainToolTip(const QString& text) {
    if (text.isEmpty()) return text;  // an empty tip shows none
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

}  // namespace tunewell::widgets
