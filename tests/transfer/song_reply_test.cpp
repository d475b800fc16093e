// SPDX-License-Identifier: GPL-3.0-or-later
// Telling an HTML page from a song at the body's first non-blank byte, with
// the body arriving in pieces of any size (a server may send one byte at a
// time).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transfer/song_reply.h"

namespace tunewell::transfer {
namespace {

using Seen = BodyStart::Seen;

TEST(SongReply, TheFirstNonBlankByteDecidesWhateverThePieces) {
    const struct {
        std::vector<std::string> pieces;
        Seen seen;
    } cases[] = {
        {{"<HTML>"}, Seen::kMarkup},
        {{"\r\n\t  ", "", " \f", "<!DOCTYPE html>"}, Seen::kMarkup},  // blanks across pieces
        {{"ID3\x03", "<"}, Seen::kOther},                            // decided once, never again
        {{"\xFF\xFB\x90"}, Seen::kOther},
        {{" \r\n", "   "}, Seen::kBlanksOnly},
        {{}, Seen::kBlanksOnly},
    };
    for (const auto& c : cases) {
        BodyStart start;
        for (const std::string& piece : c.pieces) start.Feed(piece.data(), piece.size());
        EXPECT_EQ(start.Verdict(), c.seen) << ::testing::PrintToString(c.pieces);
    }
}

}  // namespace
}  // namespace tunewell::transfer
