#pragma once
#include <string>

namespace tunewell::ports {

// The main window's controls that the download run reads and sets: the
// download button (its Tag holds the run state "0" idle / "1" running), the
// "use download manager" tick and the save folder field. The run reads the
// tick again for every song, so the window must answer live values.
class DownloadControls {
public:
    virtual ~DownloadControls() = default;
    virtual std::string ButtonTag() const = 0;
    virtual void SetButtonTag(const std::string& tag) = 0;
    virtual void SetButtonCaption(const std::string& caption) = 0;
    virtual bool UseDownloadManager() const = 0;
    virtual std::string SavePathText() const = 0;
};

}  // namespace tunewell::ports
