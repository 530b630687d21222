#pragma once
// Commands and their user-interface state, routed through a chain of targets.
//
// A target keeps a table of command handlers and of update handlers, by command id or id range. A command
// travels a route of targets (a tab's view, its child frame, the main frame, the application) and runs the first
// handler it meets. Its state (enabled, checked, radio) comes from the first update handler on the same route;
// without one, a command is enabled exactly when some target on the route handles it, so a handler that lives in
// the active tab's view disables its command while no tab is open.
#include <functional>
#include <vector>

namespace movalent {

struct CommandState {
    unsigned id = 0;
    bool enabled = true;
    bool checked = false;
    bool radio = false;

    void Enable(bool on = true) { enabled = on; }
    void SetCheck(bool on = true) { checked = on; }
    void SetRadio(bool on = true) { radio = on; }

    // The state as the external query message answers it: 1 enabled, 2 checked, 4 radio.
    unsigned Bits() const { return (enabled ? 1u : 0u) | (checked ? 2u : 0u) | (radio ? 4u : 0u); }
};

class CommandTarget {
public:
    using Handler = std::function<void(unsigned id)>;
    using UpdateHandler = std::function<void(CommandState& state)>;

    CommandTarget() = default;
    CommandTarget(const CommandTarget&) = delete;
    CommandTarget& operator=(const CommandTarget&) = delete;
    virtual ~CommandTarget() = default;

    // Appends the targets a command sent here visits, in order. The default is this target alone.
    virtual void AppendRoute(std::vector<CommandTarget*>& route);
    std::vector<CommandTarget*> Route();

    // Runs the first handler of the route; false when no target handles the command.
    bool RouteCommand(unsigned id);
    // The command's state as the route reports it.
    CommandState RouteCommandState(unsigned id);
    // What a menu, accelerator or posted command does: a command that the route reports disabled is dropped, so a
    // disabled command never runs however it was sent. True when a handler ran.
    bool ExecuteCommand(unsigned id);

    // This target alone.
    bool HandlesCommand(unsigned id) const;
    bool HasUpdateHandler(unsigned id) const;

protected:
    void OnCommand(unsigned id, std::function<void()> handler);
    void OnCommandRange(unsigned first, unsigned last, Handler handler);
    void OnUpdateCommand(unsigned id, UpdateHandler handler);
    void OnUpdateCommandRange(unsigned first, unsigned last, UpdateHandler handler);

private:
    template <typename H> struct Entry {
        unsigned first;
        unsigned last;
        H handler;
        bool Covers(unsigned id) const { return id >= first && id <= last; }
    };

    const Entry<Handler>* FindCommand(unsigned id) const;
    const Entry<UpdateHandler>* FindUpdate(unsigned id) const;

    std::vector<Entry<Handler>> commands_;
    std::vector<Entry<UpdateHandler>> updates_;
};

// Something that shows command states (a ribbon, a status bar pane) and refreshes them when the program is idle.
class CommandStateDisplay {
public:
    virtual ~CommandStateDisplay() = default;
    virtual void UpdateCommandStates(CommandTarget& router) = 0;
};

} // namespace movalent
