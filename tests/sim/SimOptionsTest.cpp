#include "SimOptions.h"

#include <gtest/gtest.h>

using namespace vsim;

namespace {

std::optional<SimOptions> Parse(std::vector<const char*> args, std::string* error = nullptr)
{
    std::string ignored;
    args.insert(args.begin(), "vexlor-sim");
    return ParseSimOptions(static_cast<int>(args.size()), args.data(), error ? error : &ignored);
}

}  // namespace

TEST(SimOptions, DefaultsAreModelOneOnUdpPort1203)
{
    const auto o = Parse({});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->model, 1);
    EXPECT_EQ(o->port, 1203);
    EXPECT_TRUE(o->udp);
    EXPECT_FALSE(o->serial);
    EXPECT_EQ(o->lock, -1);
}

TEST(SimOptions, EverySwitchIsRead)
{
    const auto o = Parse({"--model", "12", "--port=0", "--serial", "--baud", "19200", "--lock", "42", "--state",
                          "s.json", "--seed", "7", "--drop", "0.1", "--corrupt", "0.01", "--delay", "0.5",
                          "--delay-ms", "80", "--duplicate", "0.2", "--noise", "0.05", "--cancel-after", "2", "--silent-after", "9",
                          "--corrupt-description", "--resend-ms", "50", "--verbose"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->model, 12);
    EXPECT_EQ(o->port, 0);
    EXPECT_TRUE(o->serial);
    EXPECT_EQ(o->baud, 19200);
    EXPECT_EQ(o->lock, 42);
    EXPECT_EQ(o->statePath, "s.json");
    EXPECT_EQ(o->faults.seed, 7u);
    EXPECT_DOUBLE_EQ(o->faults.drop, 0.1);
    EXPECT_DOUBLE_EQ(o->faults.corrupt, 0.01);
    EXPECT_DOUBLE_EQ(o->faults.delay, 0.5);
    EXPECT_EQ(o->faults.delayMs.count(), 80);
    EXPECT_DOUBLE_EQ(o->faults.duplicate, 0.2);
    EXPECT_DOUBLE_EQ(o->faults.noise, 0.05);
    EXPECT_EQ(o->cancelAfterBlocks, 2);
    EXPECT_EQ(o->silentAfterCommands, 9);
    EXPECT_TRUE(o->corruptDescription);
    EXPECT_EQ(o->resendMs, 50);
    EXPECT_TRUE(o->verbose);
    for (const char* code : {"0", "3", "11", "16"})
        EXPECT_TRUE(Parse({"--model", code})) << code;
}

TEST(SimOptions, BadArgumentsAreRefusedWithAReason)
{
    const std::vector<std::vector<const char*>> bad{
        {"--model", "17"}, {"--model", "x"},   {"--port", "65536"},  {"--port"},         {"--drop", "1.5"},
        {"--drop", "-0.1"}, {"--drop", "nan"}, {"--lock", "10000"},  {"--baud", "0"},    {"--frobnicate"},
        {"--serial=1"},     {"--no-udp"},      {"--seed", "-1"},     {"--state", ""},    {"--cancel-after", "two"}};
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(Parse(args, &error)) << args[0];
        const std::string flag = std::string(args[0]).substr(0, std::string(args[0]).find('='));
        EXPECT_NE(error.find(flag), std::string::npos) << error;
    }
    EXPECT_TRUE(Parse({"--no-udp", "--serial"}));
}
