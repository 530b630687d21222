#include "framework/CommandTarget.h"

#include <utility>

namespace movalent {

void CommandTarget::AppendRoute(std::vector<CommandTarget*>& route) { route.push_back(this); }

std::vector<CommandTarget*> CommandTarget::Route() {
    std::vector<CommandTarget*> route;
    AppendRoute(route);
    return route;
}

bool CommandTarget::RouteCommand(unsigned id) {
    // The route is taken before anything runs: a handler may close the tab whose view started the route.
    for (CommandTarget* target : Route()) {
        if (const Entry<Handler>* entry = target->FindCommand(id)) {
            Handler handler = entry->handler; // the table may change while it runs
            handler(id);
            return true;
        }
    }
    return false;
}

CommandState CommandTarget::RouteCommandState(unsigned id) {
    CommandState state;
    state.id = id;
    std::vector<CommandTarget*> route = Route();
    for (CommandTarget* target : route) {
        if (const Entry<UpdateHandler>* entry = target->FindUpdate(id)) {
            UpdateHandler handler = entry->handler;
            handler(state);
            return state;
        }
    }
    state.enabled = false;
    for (CommandTarget* target : route) {
        if (target->HandlesCommand(id)) {
            state.enabled = true;
            break;
        }
    }
    return state;
}

bool CommandTarget::ExecuteCommand(unsigned id) {
    if (!RouteCommandState(id).enabled)
        return false;
    return RouteCommand(id);
}

bool CommandTarget::HandlesCommand(unsigned id) const { return FindCommand(id) != nullptr; }

bool CommandTarget::HasUpdateHandler(unsigned id) const { return FindUpdate(id) != nullptr; }

void CommandTarget::OnCommand(unsigned id, std::function<void()> handler) {
    commands_.push_back({id, id, [h = std::move(handler)](unsigned) { h(); }});
}

void CommandTarget::OnCommandRange(unsigned first, unsigned last, Handler handler) {
    commands_.push_back({first, last, std::move(handler)});
}

void CommandTarget::OnUpdateCommand(unsigned id, UpdateHandler handler) {
    updates_.push_back({id, id, std::move(handler)});
}

void CommandTarget::OnUpdateCommandRange(unsigned first, unsigned last, UpdateHandler handler) {
    updates_.push_back({first, last, std::move(handler)});
}

// The first registration that covers an id wins, so a target can register a single id ahead of a range.
const CommandTarget::Entry<CommandTarget::Handler>* CommandTarget::FindCommand(unsigned id) const {
    for (const auto& entry : commands_)
        if (entry.Covers(id))
            return &entry;
    return nullptr;
}

const CommandTarget::Entry<CommandTarget::UpdateHandler>* CommandTarget::FindUpdate(unsigned id) const {
    for (const auto& entry : updates_)
        if (entry.Covers(id))
            return &entry;
    return nullptr;
}

} // namespace movalent
