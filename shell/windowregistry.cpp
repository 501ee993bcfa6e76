#include "shell/windowregistry.h"

namespace mensurio {

WindowRegistry::~WindowRegistry()
{
    for (Entry& entry : entries_)
        delete entry.window.data();
}

void WindowRegistry::add(const QString& name, Factory factory)
{
    entries_.insert(name, Entry{std::move(factory), {}});
}

QWidget* WindowRegistry::instance(const QString& name)
{
    auto it = entries_.find(name);
    if (it == entries_.end())
        return nullptr;
    if (!it->window)
        it->window = it->factory();
    return it->window;
}

QWidget* WindowRegistry::existing(const QString& name) const
{
    auto it = entries_.constFind(name);
    return it == entries_.constEnd() ? nullptr : it->window.data();
}

QWidget* WindowRegistry::show(const QString& name)
{
    QWidget* window = instance(name);
    if (!window)
        return nullptr;
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace mensurio
