#include "download/name_allocator.h"

#include "base/text.h"
#include "download/file_naming.h"

namespace tunewell::download {

std::vector<std::string> NameAllocator::ProgramFiles() {
    return {"Config.ini", ".Config.ini.lock", "Tunewell",    "Tunewell.exe", "tunewell-cli",
            "UpDate",     "UpDate.exe",       "UpDate.sh",   "UpDate.vbs"};
}

NameAllocator::NameAllocator(const std::vector<std::string>& reserved, std::size_t maxBytes)
    : maxBytes_(maxBytes) {
    for (const std::string& name : reserved) reserved_.insert(base::LowerAscii(name));
}

bool NameAllocator::Taken(const std::string& name) const {
    const std::string folded = base::LowerAscii(name);
    return reserved_.count(folded) > 0 || given_.count(folded) > 0;
}

std::string NameAllocator::Allocate(const std::string& wanted) {
    std::string name = wanted;
    if (name.empty() || name.front() == '.') {
        const std::string front = "song";
        name = front + name.substr(0, Utf8PrefixLength(name, maxBytes_ - front.size()));
    }
    if (Taken(name)) {
        const std::size_t dot = name.rfind('.');
        const std::string extension = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
        const std::string stem = name.substr(0, name.size() - extension.size());
        for (int n = 2;; ++n) {
            const std::string suffix = " (" + std::to_string(n) + ")" + extension;
            const std::size_t room = maxBytes_ > suffix.size() ? maxBytes_ - suffix.size() : 0;
            const std::string candidate = stem.substr(0, Utf8PrefixLength(stem, room)) + suffix;
            if (!Taken(candidate)) {
                name = candidate;
                break;
            }
        }
    }
    given_.insert(base::LowerAscii(name));
    return name;
}

}  // namespace tunewell::download
