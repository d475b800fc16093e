// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/song_tags.h"

#include <id3v2frame.h>
#include <id3v2header.h>
#include <id3v2tag.h>
#include <mpegfile.h>
#include <textidentificationframe.h>
#include <tstring.h>

#include "platform/utf8_path.h"

namespace tunewell::tags {
namespace {

// How far after the ID3v2 tag (or the file's start) the first MPEG frame
// may lie. Real files have at most some padding there; a file of other
// bytes could show a chance frame header deep inside.
constexpr long kFirstFrameWithin = 64 * 1024;

bool HoldsMpegAudio(TagLib::MPEG::File& file) {
    const long tagEnd = file.hasID3v2Tag() ? file.ID3v2Tag()->header()->completeTagSize() : 0;
    const long first = file.firstFrameOffset();
    return first >= 0 && first - tagEnd <= kFirstFrameWithin;
}

void Replace(TagLib::ID3v2::Tag& tag, const char* id, const std::string& text) {
    tag.removeFrames(id);
    if (text.empty()) return;
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::UTF16);
    frame->setText(TagLib::String(text, TagLib::String::UTF8));
    tag.addFrame(frame);  // the tag owns it
}

}  // namespace

TagOutcome WriteMp3Tags(const std::string& path, const SongTags& tags) {
    // FileName is a wide path on Windows and bytes elsewhere: the native
    // form of the path converts for both.
    const auto nativePath = platform::Utf8Path(path);
    TagLib::MPEG::File file(nativePath.c_str(), false);
    if (!file.isOpen()) return TagOutcome::kFailed;
    if (!file.isValid() || !HoldsMpegAudio(file)) return TagOutcome::kNotMp3;
    if (file.readOnly()) return TagOutcome::kFailed;
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    Replace(*tag, "TIT2", tags.title);
    Replace(*tag, "TPE1", tags.performer);
    const bool saved = file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3,
                                 TagLib::File::DoNotDuplicate);
    return saved ? TagOutcome::kWritten : TagOutcome::kFailed;
}

}  // namespace tunewell::tags
