#include "notes/symbols.h"

namespace mensurio {

Symbols::Symbols(Context& context) : context_(context)
{
    setObjectName(QStringLiteral("Symbols"));
}

void Symbols::Form_Load() {}

} // namespace mensurio
