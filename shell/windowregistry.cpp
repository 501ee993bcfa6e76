#include "shell/windowregistry.h"

#include "about/aboutwindow.h"
#include "about/feedbackwindow.h"
#include "pairs/pairwindow.h"
#include "symbols/symbolswindow.h"

namespace mensurio {

namespace {

template <typename Window> Window* bringUp(Window* window)
{
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace

WindowRegistry::~WindowRegistry()
{
    for (const QPointer<PairWindow>& window : pairs_)
        delete window.data();
    for (const QPointer<ui::SecondaryWindow>& window : secondaries_)
        delete window.data();
}

template <typename Window, typename Slot, typename... Arguments>
Window* WindowRegistry::made(QPointer<Slot>& slot, const Arguments&... arguments)
{
    if (!slot)
        slot = new Window(arguments..., context_);
    return static_cast<Window*>(slot.data());
}

PairWindow* WindowRegistry::instance(PairId pair)
{
    return made<PairWindow>(pairs_[static_cast<std::size_t>(pair)], unitPair(pair));
}

ui::SecondaryWindow* WindowRegistry::instance(Secondary window)
{
    QPointer<ui::SecondaryWindow>& slot = secondaries_[static_cast<std::size_t>(window)];
    switch (window) {
    case Secondary::Symbols:
        return made<SymbolsWindow>(slot);
    case Secondary::About:
        return made<AboutWindow>(slot);
    case Secondary::Feedback:
        return made<FeedbackWindow>(slot);
    }
    return nullptr;
}

PairWindow* WindowRegistry::existing(PairId pair) const
{
    return pairs_[static_cast<std::size_t>(pair)];
}

ui::SecondaryWindow* WindowRegistry::existing(Secondary window) const
{
    return secondaries_[static_cast<std::size_t>(window)];
}

PairWindow* WindowRegistry::show(PairId pair) { return bringUp(instance(pair)); }

ui::SecondaryWindow* WindowRegistry::show(Secondary window) { return bringUp(instance(window)); }

} // namespace mensurio
