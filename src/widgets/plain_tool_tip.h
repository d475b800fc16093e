// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace tunewell::widgets {

// A tool tip that shows `text` exactly as it is, on one line. Qt takes a
// tip that looks like mark-up for mark-up; a song name from a page (say
// "<b>x</b>" or a link) must read as the page wrote it.
QString PlainToolTip(const QString& text);

}  // namespace tunewell::widgets
