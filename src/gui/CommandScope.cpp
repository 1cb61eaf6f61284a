// SPDX-License-Identifier: MIT
#include "gui/CommandScope.h"

#include <QPointer>

#include <utility>
#include <vector>

namespace navrik {

namespace {

int s_depth = 0;

struct Held {
    QPointer<QObject> context;
    std::function<void()> work;
};
std::vector<Held> s_held;

} // namespace

CommandScope::CommandScope()
{
    ++s_depth;
}

CommandScope::~CommandScope()
{
    if (--s_depth > 0 || s_held.empty())
        return;
    for (Held& held : std::exchange(s_held, {})) {
        if (held.context)
            QMetaObject::invokeMethod(held.context, [held] { whenIdle(held.context, held.work); },
                                      Qt::QueuedConnection);
    }
}

bool CommandScope::running()
{
    return s_depth > 0;
}

void CommandScope::whenIdle(QObject* context, std::function<void()> work)
{
    if (running())
        s_held.push_back({context, std::move(work)});
    else
        work();
}

} // namespace navrik
