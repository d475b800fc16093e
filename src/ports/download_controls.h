// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace tunewell::ports {

// The main window's inputs that the download run reads: the "use download
// manager" tick and the save folder field. The run reads the tick again for
// every song, so the window must answer live values. What the run shows
// goes through ports::RunObserver.
class DownloadControls {
public:
    virtual ~DownloadControls() = default;
    virtual bool UseDownloadManager() const = 0;
    virtual std::string SavePathText() const = 0;
};

}  // namespace tunewell::ports
