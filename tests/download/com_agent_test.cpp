// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "download/com_thunder_agent.h"
#include "download/thunder_hand_off.h"

namespace tunewell::download {
namespace {

using Argument = platform::AutomationObject::Argument;

struct Recorded {
    std::string method;
    std::vector<Argument> arguments;
};

class RecordingObject : public platform::AutomationObject {
public:
    RecordingObject(std::vector<Recorded>& calls, bool accepts) : calls_(calls), accepts_(accepts) {}
    bool Call(const std::string& method, const std::vector<Argument>& arguments) override {
        calls_.push_back({method, arguments});
        return accepts_;
    }

private:
    std::vector<Recorded>& calls_;
    bool accepts_;
};

TEST(ComThunderAgent, HandsTheEightArgumentsOverInOrderAndTheirTypes) {
    std::vector<Recorded> calls;
    ComThunderAgent agent(std::make_unique<RecordingObject>(calls, true));
    EXPECT_TRUE(agent.AddTask("http://a/1.mp3", "歌.mp3", "D:\\下载", "备注", "http://a/", 1, 0, -1));
    EXPECT_TRUE(agent.CommitTasks2(1));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].method, "AddTask");
    const std::vector<Argument> expected = {std::string("http://a/1.mp3"), std::string("歌.mp3"),
                                            std::string("D:\\下载"),       std::string("备注"),
                                            std::string("http://a/"),      std::int16_t{1},
                                            std::int16_t{0},               std::int16_t{-1}};
    EXPECT_EQ(calls[0].arguments, expected);
    EXPECT_EQ(calls[1].method, "CommitTasks2");
    EXPECT_EQ(calls[1].arguments, std::vector<Argument>{std::int16_t{1}});
}

TEST(ComThunderAgent, ARefusedCallIsReported) {
    std::vector<Recorded> calls;
    bool made = false;
    const AgentFactory factory = [&]() -> std::unique_ptr<ThunderAgent> {
        made = true;
        return std::make_unique<ComThunderAgent>(std::make_unique<RecordingObject>(calls, false));
    };
    EXPECT_FALSE(AddThunderTask(factory, "http://a/1.mp3", "1.mp3", "x", "", "", 1, 0, 0));
    EXPECT_TRUE(made);
    EXPECT_EQ(calls.size(), 2u);  // committed even so, as the hand-off always does
}

TEST(ComThunderAgent, NoObjectWhereTheManagerIsMissing) {
    // Nothing registers the manager here: neither Linux nor a fresh wine
    // prefix has it.
    EXPECT_EQ(ComAgentFactory()(), nullptr);
}

}  // namespace
}  // namespace tunewell::download
