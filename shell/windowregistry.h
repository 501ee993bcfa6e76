#pragma once

#include "core/catalogue.h"
#include "platform/context.h"

#include <QPointer>

#include <array>

namespace mensurio {

class PairWindow;
namespace ui {
class SecondaryWindow;
}

// The windows besides the 22 pair windows.
enum class Secondary { Symbols, About, Feedback };

// Each secondary window exists at most once. The first showing creates it; later showings
// only make it visible and raise it. A window its frame closed with WA_DeleteOnClose is
// gone, and the next showing creates it anew.
class WindowRegistry {
public:
    explicit WindowRegistry(Context& context) : context_(context) {}
    ~WindowRegistry();
    WindowRegistry(const WindowRegistry&) = delete;
    WindowRegistry& operator=(const WindowRegistry&) = delete;

    // The window's single instance, created when missing.
    PairWindow* instance(PairId pair);
    ui::SecondaryWindow* instance(Secondary window);
    // The instance when it exists, without creating it.
    PairWindow* existing(PairId pair) const;
    ui::SecondaryWindow* existing(Secondary window) const;
    // Creates when missing, then shows and raises.
    PairWindow* show(PairId pair);
    ui::SecondaryWindow* show(Secondary window);

private:
    template <typename Window, typename Slot, typename... Arguments>
    Window* made(QPointer<Slot>& slot, const Arguments&... arguments);

    Context& context_;
    std::array<QPointer<PairWindow>, pairCount> pairs_;
    std::array<QPointer<ui::SecondaryWindow>, 3> secondaries_;
};

} // namespace mensurio
