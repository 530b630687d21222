// Command routing over a chain of targets, as the tab view, child frame, main frame and application form it.
#include "framework/CommandTarget.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace movalent;

namespace {

// A target that logs what runs, with the next target of its chain.
class Link : public CommandTarget {
public:
    Link(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
    void SetNext(CommandTarget* next) { next_ = next; }
    void AppendRoute(std::vector<CommandTarget*>& route) override {
        route.push_back(this);
        if (next_)
            next_->AppendRoute(route);
    }
    void Handle(unsigned id) {
        OnCommand(id, [this, id] { log_.push_back(name_ + ":" + std::to_string(id)); });
    }
    void HandleRange(unsigned first, unsigned last) {
        OnCommandRange(first, last, [this](unsigned id) { log_.push_back(name_ + ":" + std::to_string(id)); });
    }
    void Update(unsigned id, bool enabled, bool checked = false, bool radio = false) {
        OnUpdateCommand(id, [=](CommandState& state) {
            state.Enable(enabled);
            state.SetCheck(checked);
            state.SetRadio(radio);
        });
    }
    using CommandTarget::OnCommand;
    using CommandTarget::OnUpdateCommandRange;

private:
    std::string name_;
    std::vector<std::string>& log_;
    CommandTarget* next_ = nullptr;
};

class Routing : public ::testing::Test {
protected:
    Routing() {
        view.SetNext(&child);
        child.SetNext(&frame);
        frame.SetNext(&app);
    }
    std::vector<std::string> log;
    Link view{"view", log}, child{"child", log}, frame{"frame", log}, app{"app", log};
};

TEST_F(Routing, TheFirstTargetOnTheRouteThatHandlesACommandRunsIt) {
    app.Handle(5);
    frame.Handle(5);
    child.Handle(6);
    EXPECT_TRUE(view.RouteCommand(5));
    EXPECT_TRUE(view.RouteCommand(6));
    EXPECT_TRUE(child.RouteCommand(5)) << "a route may start further down";
    EXPECT_EQ((std::vector<std::string>{"frame:5", "child:6", "frame:5"}), log);
    EXPECT_FALSE(view.RouteCommand(7));
    EXPECT_EQ(3u, log.size());
}

TEST_F(Routing, RangesAndSingleIdsAreMatchedInRegistrationOrder) {
    view.Handle(3600);
    view.HandleRange(3584, 4095);
    app.HandleRange(100, 200);
    EXPECT_TRUE(view.RouteCommand(3600));
    EXPECT_TRUE(view.RouteCommand(4095));
    EXPECT_TRUE(view.RouteCommand(150));
    EXPECT_FALSE(view.RouteCommand(4096));
    EXPECT_EQ((std::vector<std::string>{"view:3600", "view:4095", "app:150"}), log);
}

TEST_F(Routing, StateComesFromTheFirstUpdateHandlerOnTheRoute) {
    frame.Update(10, false);
    app.Update(10, true, true);
    child.Update(11, true, false, true);
    CommandState state = view.RouteCommandState(10);
    EXPECT_FALSE(state.enabled);
    EXPECT_FALSE(state.checked);
    EXPECT_EQ(10u, state.id);
    EXPECT_EQ(5u, view.RouteCommandState(11).Bits()) << "enabled and radio";
    EXPECT_EQ(3u, app.RouteCommandState(10).Bits()) << "from the application alone: enabled and checked";
}

TEST_F(Routing, WithoutUpdateHandlerACommandIsEnabledExactlyWhenItHasAHandler) {
    view.Handle(20);
    EXPECT_TRUE(view.RouteCommandState(20).enabled);
    EXPECT_FALSE(child.RouteCommandState(20).enabled) << "no view on the route: nobody handles it";
    EXPECT_FALSE(view.RouteCommandState(21).enabled);
    EXPECT_EQ(0u, view.RouteCommandState(21).Bits());
}

TEST_F(Routing, ExecutingADisabledCommandRunsNothing) {
    app.Handle(30);
    frame.Update(30, false);
    EXPECT_FALSE(view.ExecuteCommand(30));
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(view.RouteCommand(30)) << "plain routing does not look at the state";
    EXPECT_FALSE(view.ExecuteCommand(31)) << "unhandled";

    app.Handle(32);
    EXPECT_TRUE(view.ExecuteCommand(32));
    EXPECT_EQ((std::vector<std::string>{"app:30", "app:32"}), log);
}

TEST_F(Routing, AHandlerMayChangeItsTargetsTablesWhileItRuns) {
    // A handler that registers more handlers (or closes the window that owns its table) must not pull its own
    // code out from under itself.
    int runs = 0;
    view.OnCommand(40, [&] {
        ++runs;
        for (unsigned id = 1000; id < 1100; ++id)
            view.OnCommand(id, [] {});
    });
    EXPECT_TRUE(view.RouteCommand(40));
    EXPECT_TRUE(view.RouteCommand(40));
    EXPECT_EQ(2, runs);
    EXPECT_TRUE(view.HandlesCommand(1099));
}

TEST_F(Routing, RangeUpdateHandlersSeeTheCommandId) {
    unsigned current = 215;
    frame.OnUpdateCommandRange(210, 218, [&](CommandState& state) { state.SetRadio(state.id == current); });
    EXPECT_TRUE(view.RouteCommandState(215).radio);
    EXPECT_FALSE(view.RouteCommandState(216).radio);
    EXPECT_TRUE(view.RouteCommandState(216).enabled) << "an update handler starts from enabled";
}

} // namespace
