// The tray request ring: what the icon shows tick by tick.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "TestSettings.h"
#include "core/Text.h"
#include "shell/TrayQueue.h"

using namespace ql;
using namespace ql::test;

namespace {

struct Tick {
    bool sent;
    TrayImage image;
    std::string tip;
};

struct TrayFixture {
    TestSettings settings;
    TrayQueue queue{ReleaseNotice{settings.setup.Upgrade, settings.setup.ActRelease}};

    Tick Step() {
        const bool sent = queue.Animate();
        return {sent, queue.Image(), queue.Tip()};
    }
};

void CheckTick(const Tick& actual, const Tick& expected) {
    CHECK(actual.sent == expected.sent);
    CHECK(actual.image == expected.image);
    CHECK(actual.tip == expected.tip);
}

}  // namespace

TEST_CASE("a burst of requests is shown one per tick in posting order, then the icon rests") {
    TrayFixture f;
    CheckTick(f.Step(), {false, TrayImage::Resting, "Activity"});  // nothing pending, nothing sent

    f.queue.PostState(TrayImage::Scanning);
    f.queue.PostState(TrayImage::NewSession);
    f.queue.PostTip("Quorlan\nTracking 01 Active Sessions");
    f.queue.PostState(TrayImage::Closing);
    CheckTick(f.Step(), {true, TrayImage::Scanning, "Activity"});
    CheckTick(f.Step(), {true, TrayImage::NewSession, "Activity"});
    CheckTick(f.Step(), {true, TrayImage::NewSession, "Quorlan\nTracking 01 Active Sessions"});
    CheckTick(f.Step(), {true, TrayImage::Closing, "Quorlan\nTracking 01 Active Sessions"});
    CheckTick(f.Step(), {true, TrayImage::Resting, "Quorlan\nTracking 01 Active Sessions"});
    CheckTick(f.Step(), {false, TrayImage::Resting, "Quorlan\nTracking 01 Active Sessions"});
}

TEST_CASE("what the icon shows already is not sent again, and it rests only once nothing waits") {
    TrayFixture f;
    CHECK(f.queue.AtRest());
    f.queue.PostState(TrayImage::NewSession);
    f.queue.PostState(TrayImage::NewSession);
    f.queue.PostTip("Activity");  // a scan that found the same count
    CHECK_FALSE(f.queue.AtRest());
    CheckTick(f.Step(), {true, TrayImage::NewSession, "Activity"});
    CheckTick(f.Step(), {false, TrayImage::NewSession, "Activity"});
    CheckTick(f.Step(), {false, TrayImage::NewSession, "Activity"});
    CHECK_FALSE(f.queue.AtRest());  // the resting picture is not back yet
    CheckTick(f.Step(), {true, TrayImage::Resting, "Activity"});
    CHECK(f.queue.AtRest());

    f.queue.PostBalloon("text");
    CHECK_FALSE(f.queue.AtRest());
    char balloon[TrayQueue::kBalloonCapacity];
    CHECK(f.queue.TakeBalloon(balloon));
    CHECK(f.queue.AtRest());
}

TEST_CASE("tips: the release line is added while an upgrade is known, and every text is cut to fit") {
    TrayFixture f;
    f.queue.PostTip("Quorlan\nTracking 02 Active Sessions");
    CHECK(f.Step().tip == "Quorlan\nTracking 02 Active Sessions");

    f.settings.setup.Upgrade = true;
    CopyText(f.settings.setup.ActRelease, "00.60.00");
    // The same count, now with a release known: the tip shown changes, so it is sent.
    f.queue.PostTip("Quorlan\nTracking 02 Active Sessions");
    CHECK(f.Step().sent);
    f.queue.PostTip("Tracking 03");
    CHECK(f.Step().tip == "Tracking 03\nNew Release 00.60.00 Available");
    // The shell's tip holds 63 characters: the release line is cut like any other text.
    f.queue.PostTip("Quorlan\nTracking 03 Active Sessions");
    CHECK(f.Step().tip == "Quorlan\nTracking 03 Active Sessions\nNew Release 00.60.00 Availa");

    const std::string seventy(70, 'x');
    f.settings.setup.Upgrade = false;
    f.queue.PostTip(seventy.c_str());
    CHECK(f.Step().tip == seventy.substr(0, 63));
}

TEST_CASE("an overflowing burst keeps the newest requests, so the last tip wins") {
    // A scan finding 30 new sessions posts 32 requests before the next tick.
    TrayFixture f;
    f.queue.PostState(TrayImage::Scanning);
    for (int i = 0; i < 30; ++i) f.queue.PostState(TrayImage::NewSession);
    f.queue.PostTip("Quorlan\nTracking 30 Active Sessions");
    CHECK(f.queue.Pending() == TrayQueue::kRingSize - 1);

    std::vector<Tick> ticks;
    while (f.queue.Pending() > 0) ticks.push_back(f.Step());
    REQUIRE(ticks.size() == TrayQueue::kRingSize - 1);
    for (std::size_t i = 0; i + 1 < ticks.size(); ++i) CHECK(ticks[i].image == TrayImage::NewSession);
    CHECK(ticks.back().tip == "Quorlan\nTracking 30 Active Sessions");
    CheckTick(f.Step(), {true, TrayImage::Resting, "Quorlan\nTracking 30 Active Sessions"});

    // The ring keeps working after wrapping many times over.
    for (int i = 0; i < 45; ++i) f.queue.PostTip(std::to_string(i).c_str());
    while (f.queue.Pending() > 0) f.Step();
    CHECK(std::string(f.queue.Tip()) == "44");
}

TEST_CASE("a balloon waits beside the ring: the newest replaces one not yet shown, and is cut to the shell's limit") {
    TrayFixture f;
    char balloon[TrayQueue::kBalloonCapacity];
    CHECK_FALSE(f.queue.TakeBalloon(balloon));
    f.queue.PostState(TrayImage::Scanning);
    f.queue.PostBalloon("first");
    f.queue.PostBalloon(std::string(300, 'b').c_str());
    REQUIRE(f.queue.TakeBalloon(balloon));
    CHECK(std::string(balloon) == std::string(255, 'b'));
    CHECK_FALSE(f.queue.TakeBalloon(balloon));
    CheckTick(f.Step(), {true, TrayImage::Scanning, "Activity"});  // the ring goes on as before
}
