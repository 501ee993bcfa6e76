#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

namespace mensurio {

// Each secondary window exists at most once. The first showing creates it and runs its
// load handling (inside the factory); later showings only make it visible and raise it.
// A window its frame closed with WA_DeleteOnClose is gone, and the next showing creates
// it anew.
class WindowRegistry {
public:
    using Factory = std::function<QWidget*()>;

    WindowRegistry() = default;
    ~WindowRegistry();
    WindowRegistry(const WindowRegistry&) = delete;
    WindowRegistry& operator=(const WindowRegistry&) = delete;

    void add(const QString& name, Factory factory);
    // The window's single instance, created and loaded when missing.
    QWidget* instance(const QString& name);
    // The instance when it exists, without creating it.
    QWidget* existing(const QString& name) const;
    // Creates and loads when missing, then shows and raises.
    QWidget* show(const QString& name);

    template <typename W> W* show(const QString& name) { return qobject_cast<W*>(show(name)); }

private:
    struct Entry {
        Factory factory;
        QPointer<QWidget> window;
    };
    QHash<QString, Entry> entries_;
};

} // namespace mensurio
