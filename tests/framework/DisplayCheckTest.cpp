#include "framework/DisplayCheck.h"

#include <gtest/gtest.h>

#include <map>

namespace stubsetup {
namespace {

using Variables = std::map<std::string, std::string>;

EnvironmentLookup fakeEnvironment(Variables variables)
{
    return [variables = std::move(variables)](const char *name) {
        const auto found = variables.find(name);
        return found == variables.end() ? std::string() : found->second;
    };
}

TEST(DisplayCheckTest, ChoosesThePlatformAsQtWould)
{
    const std::pair<Variables, std::string> cases[] = {
        {{}, ""},
        {{{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-1"}}, "xcb"},
        {{{"WAYLAND_DISPLAY", "wayland-1"}}, "wayland"},
        {{{"QT_QPA_PLATFORM", ""}, {"DISPLAY", ":0"}}, "xcb"},
        {{{"QT_QPA_PLATFORM", "Wayland;xcb"}, {"DISPLAY", ":0"}}, "wayland"},
        {{{"QT_QPA_PLATFORM", "offscreen:fontengine=freetype"}}, "offscreen"},
    };
    for (const auto &[variables, platform] : cases)
        EXPECT_EQ(chooseDisplayTarget(fakeEnvironment(variables)).platform, platform) << platform;
    // Qt gets the entry with its options.
    EXPECT_EQ(chooseDisplayTarget(fakeEnvironment({{"QT_QPA_PLATFORM", "vnc:size=8x8;xcb"}}))
                  .platformEntry,
              "vnc:size=8x8");
}

TEST(DisplayCheckTest, FindsTheWaylandSocket)
{
    const Variables runtime = {{"XDG_RUNTIME_DIR", "/run/user/7"}};
    EXPECT_EQ(waylandSocketPath(fakeEnvironment(runtime)), "/run/user/7/wayland-0");
    Variables named = runtime;
    named["WAYLAND_DISPLAY"] = "/tmp/w";
    EXPECT_EQ(waylandSocketPath(fakeEnvironment(named)), "/tmp/w");
    EXPECT_EQ(waylandSocketPath(fakeEnvironment({{"WAYLAND_DISPLAY", "wayland-1"}})), "");
}

TEST(DisplayCheckTest, TrustsServerlessPlatformsAndProbesServers)
{
    const EnvironmentLookup deadX11 = fakeEnvironment({{"DISPLAY", ":97"}});
    EXPECT_FALSE(DisplayReach({"", ""}, deadX11).reached());
    EXPECT_FALSE(DisplayReach({"xcb", "xcb"}, deadX11).reached());
    EXPECT_TRUE(DisplayReach({"offscreen", "offscreen"}, deadX11).reached());
    const std::string overlong = "/tmp/" + std::string(200, 'w');
    EXPECT_FALSE(
        DisplayReach({"wayland", "wayland"}, fakeEnvironment({{"WAYLAND_DISPLAY", overlong}}))
            .reached());
}

} // namespace
} // namespace stubsetup
