// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/entry_fields.h"

#include <algorithm>

#include "text/text_utils.h"
#include "text/utf8_text.h"

namespace tunewell::catalogue {
namespace {

constexpr std::string_view kSeparator = "\",\"";
constexpr std::string_view kLooseSeparator = "\", \"";

// One field as its bytes arrive: the first ones (up to the cap and room for
// a separator, which is recognised only once its last byte is in) and the
// count of all.
class FieldReader {
public:
    explicit FieldReader(std::size_t maxBytes) : max_(maxBytes) {}

    // Takes the next byte; true when it completed a separator.
    bool Add(char c) {
        if (kept_.size() < max_ + kSeparator.size()) kept_ += c;
        tail_[0] = tail_[1];
        tail_[1] = tail_[2];
        tail_[2] = c;
        return ++length_ >= kSeparator.size() && std::string_view(tail_, 3) == kSeparator;
    }

    // The field read so far, without the separator that ended it, and a
    // fresh start for the next.
    std::string Take(bool endedBySeparator) {
        std::string field = std::move(kept_);
        const std::size_t length = endedBySeparator ? length_ - kSeparator.size() : length_;
        field.resize(std::min(field.size(), length));
        field.resize(text::Utf8Prefix(field, max_).size());
        kept_.clear();
        length_ = 0;
        return field;
    }

private:
    std::size_t max_;
    std::string kept_;
    std::size_t length_ = 0;
    char tail_[3] = {};
};

}  // namespace

bool HasFieldSeparator(std::string_view entry) {
    return entry.find(kSeparator) != std::string_view::npos || entry.find(kLooseSeparator) != std::string_view::npos;
}

std::vector<std::string> ReadEntryFields(std::string_view entry, std::size_t maxFields, std::size_t maxFieldBytes) {
    std::vector<std::string> fields;
    if (maxFields == 0) return fields;
    FieldReader field(maxFieldBytes);
    // The entry is read as the replacement would write it: a `", "` found
    // from here on becomes `","`, any other byte stays.
    for (std::size_t at = 0; at < entry.size();) {
        const bool loose = entry[at] == '"' && entry.compare(at, kLooseSeparator.size(), kLooseSeparator) == 0;
        const std::string_view bytes = loose ? kSeparator : entry.substr(at, 1);
        at += loose ? kLooseSeparator.size() : 1;
        for (const char c : bytes) {
            if (!field.Add(c)) continue;
            fields.push_back(field.Take(true));
            if (fields.size() == maxFields) return fields;
        }
    }
    fields.push_back(field.Take(false));
    return fields;
}

std::string LooseFieldText(std::string_view text, std::size_t maxBytes) {
    // A replacement takes one byte out, so the first `maxBytes` bytes of the
    // result come from well within twice as many of the text.
    std::string loose = text::ReplaceAll(std::string(text.substr(0, 2 * maxBytes + kLooseSeparator.size())),
                                        std::string(kLooseSeparator), std::string(kSeparator));
    loose.resize(text::Utf8Prefix(loose, maxBytes).size());
    return loose;
}

}  // namespace tunewell::catalogue
