// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tunewell::widgets {

// Makes Tahoma the application font, with close sans-serif stand-ins where
// it is not installed and a Chinese face behind them, so Latin text keeps
// its narrow look and Chinese text always renders. Call once after the
// QApplication exists.
void InstallProgramFont();

}  // namespace tunewell::widgets
