#pragma once

#include "pairs/pairwindow.h"
#include "shell/windowregistry.h"
#include "ui/secondarywindow.h"

#include <QString>

#include <utility>

namespace mensurio::test {

// The registry's windows found by their object names, as the tests' rows name them.
class NamedWindows {
public:
    explicit NamedWindows(WindowRegistry& registry) : registry_(registry) {}

    QWidget* instance(const QString& name) const
    {
        return find(name, [this](auto id) -> QWidget* { return registry_.instance(id); });
    }
    QWidget* existing(const QString& name) const
    {
        return find(name, [this](auto id) -> QWidget* { return registry_.existing(id); });
    }
    QWidget* show(const QString& name) const
    {
        return find(name, [this](auto id) -> QWidget* { return registry_.show(id); });
    }
    template <typename W> W* show(const QString& name) const
    {
        return qobject_cast<W*>(show(name));
    }

private:
    template <typename Act> static QWidget* find(const QString& name, Act act)
    {
        if (const auto pair = pairByWindow(name))
            return act(*pair);
        for (const auto& [object, window] :
             {std::pair("Symbols", Secondary::Symbols), std::pair("AboutApp", Secondary::About),
              std::pair("ForMensurio", Secondary::Feedback)}) {
            if (name == QLatin1String(object))
                return act(window);
        }
        return nullptr;
    }

    WindowRegistry& registry_;
};

inline NamedWindows named(WindowRegistry& registry) { return NamedWindows(registry); }

} // namespace mensurio::test
