#pragma once
// The desktop program's menu commands: for each command number, whether it
// can run now (enabled, checked, its menu text) and what it does. The main
// window and the view fill one table; menus, toolbars, shortcuts and the
// canvas's keys run commands through it.

#include <QString>
#include <functional>
#include <unordered_map>

// Enable / check state a command's state function fills in.
struct CCmdUI {
    bool enabled = true;
    bool checked = false;
    bool checkable = false;
    QString text;  // when non-empty, the new menu text
};

class CCommandTable {
public:
    using StateFn = std::function<void(CCmdUI&)>;
    using RunFn = std::function<void()>;

    // Adds command `id`; without a state function it is always enabled.
    void Add(int id, StateFn state, RunFn run);
    // Fills `ui` with the command's state; false, and `ui` disabled, for a
    // number no command has.
    bool Query(int id, CCmdUI& ui) const;
    // Runs command `id`; false for a number no command has.
    bool Run(int id) const;

private:
    struct SCommand {
        StateFn state;
        RunFn run;
    };
    std::unordered_map<int, SCommand> m_commands;
};
