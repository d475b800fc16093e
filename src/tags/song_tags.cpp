// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/song_tags.h"

#include <id3v2frame.h>
#include <id3v2header.h>
#include <id3v2tag.h>
#include <mpegfile.h>
#include <textidentificationframe.h>
#include <tstring.h>

#include <optional>
#include <string_view>
#include <vector>

#include "platform/file_io.h"
#include "platform/file_replace.h"
#include "platform/utf8_path.h"

namespace tunewell::tags {
namespace {

// How far after the ID3v2 tag (or the file's start) the first MPEG frame
// may lie. Real files have at most some padding there; a file of other
// bytes could show a chance frame header deep inside (TagLib itself takes
// any bytes for an MPEG file).
constexpr long kFirstFrameWithin = 64 * 1024;

bool HoldsMpegAudio(TagLib::MPEG::File& file, long tagEnd) {
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

// The new tag, and how many bytes at the file's start the old one takes.
struct NewTag {
    TagLib::ByteVector bytes;
    long replaces = 0;
};

// Reads the file (never writing it) and renders its tag as it is to be.
// kWritten with the tag, or why there is none.
TagOutcome Render(const std::string& path, const SongTags& tags, NewTag& result) {
    // FileName is a wide path on Windows and bytes elsewhere: the native
    // form of the path converts for both.
    const auto nativePath = platform::Utf8Path(path);
    TagLib::MPEG::File file(nativePath.c_str(), false);
    if (!file.isOpen()) return TagOutcome::kFailed;
    if (file.hasID3v2Tag()) {
        // Only a tag at the start is replaced; one elsewhere would stay.
        file.seek(0);
        if (file.readBlock(3) != TagLib::ID3v2::Header::fileIdentifier()) return TagOutcome::kFailed;
        result.replaces = static_cast<long>(file.ID3v2Tag()->header()->completeTagSize());
        if (result.replaces > file.length()) return TagOutcome::kNotMp3;
    }
    if (!file.isValid() || !HoldsMpegAudio(file, result.replaces)) return TagOutcome::kNotMp3;
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    Replace(*tag, "TIT2", tags.title);
    Replace(*tag, "TPE1", tags.performer);
    result.bytes = tag->render(TagLib::ID3v2::v3);
    return TagOutcome::kWritten;
}

// `tag` and then the file's bytes after its first `skip` bytes, as a new
// file that replaces it in one rename. False, the file untouched, when
// anything fails (a full disk among them).
bool PutInFront(const std::string& path, const TagLib::ByteVector& tag, long skip) {
    const int source = platform::OpenForReading(path, false);
    if (source < 0) return false;
    // Named as a transfer's temporaries, which a later run sweeps away
    // should this one be killed meanwhile.
    platform::ReplaceTemp temp(path, ".tw-", ".part");
    bool ok = temp.IsOpen() && platform::SeekFile(source, skip) &&
              temp.WriteAll(std::string_view(tag.data(), tag.size()));
    std::vector<char> buffer(256 * 1024);
    while (ok) {
        const long long got = platform::ReadSome(source, buffer.data(), buffer.size());
        if (got == 0) break;
        ok = got > 0 && temp.WriteAll(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    }
    platform::CloseFile(source);
    return ok && temp.Commit(path, {});
}

}  // namespace

TagOutcome WriteMp3Tags(const std::string& path, const SongTags& tags) {
    NewTag tag;
    const TagOutcome rendered = Render(path, tags, tag);
    if (rendered != TagOutcome::kWritten) return rendered;
    return PutInFront(path, tag.bytes, tag.replaces) ? TagOutcome::kWritten : TagOutcome::kFailed;
}

}  // namespace tunewell::tags
