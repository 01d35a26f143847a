#include "ui/shell/CommandTable.h"

void CCommandTable::Add(int id, StateFn state, RunFn run)
{
    m_commands[id] = SCommand{std::move(state), std::move(run)};
}

bool CCommandTable::Query(int id, CCmdUI& ui) const
{
    const auto it = m_commands.find(id);
    if (it == m_commands.end()) {
        ui.enabled = false;
        return false;
    }
    if (it->second.state)
        it->second.state(ui);
    return true;
}

bool CCommandTable::Run(int id) const
{
    const auto it = m_commands.find(id);
    if (it == m_commands.end())
        return false;
    it->second.run();
    return true;
}
